#include "VeltoDesktop/Setup/AppOpenAtLoginStepModel.hpp"

#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Model/LoginItemModel.hpp"

namespace velto {

AppOpenAtLoginStepModel::AppOpenAtLoginStepModel(AppModel& model, std::function<void()> openSettings,
                                                 QObject* parent)
    : OpenAtLoginStepModel(parent), model_(model), openSettings_(std::move(openSettings)) {
    connect(&model_.organizations(), &OrganizationsModel::rowsChanged, this,
            &OpenAtLoginStepModel::organizationsChanged);
}

LoginItemState AppOpenAtLoginStepModel::loginItemState() const {
    return model_.loginItem().state();
}

std::vector<Enrollment> AppOpenAtLoginStepModel::enrollments() const {
    return model_.organizations().enrollments();
}

void AppOpenAtLoginStepModel::refreshLoginItem() {
    model_.loginItem().refresh();
}

std::optional<LoginItemRefusal> AppOpenAtLoginStepModel::setOpensAtLogin(bool opensAtLogin) {
    return model_.loginItem().setOpensAtLogin(opensAtLogin);
}

void AppOpenAtLoginStepModel::openLoginItemSettings() {
    if (openSettings_)
        openSettings_();
}

} // namespace velto
