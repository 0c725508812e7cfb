#include "VeltoDesktop/Setup/OpenAtLoginPresenter.hpp"

#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Setup/FirstEnrollment.hpp"
#include "VeltoDesktop/Setup/OpenAtLoginStepModel.hpp"
#include "VeltoDesktop/Setup/SetupNotice.hpp"

namespace velto {

OpenAtLoginPresenter::OpenAtLoginPresenter(OpenAtLoginStepModel& model, QObject* parent)
    : QObject(parent), model_(model) {
    connect(&model_, &OpenAtLoginStepModel::organizationsChanged, this,
            &OpenAtLoginPresenter::enrollmentsChanged);
}

void OpenAtLoginPresenter::refresh() {
    model_.refreshLoginItem();
}

bool OpenAtLoginPresenter::isOffered() const {
    return model_.loginItemState() != LoginItemState::unavailable;
}

bool OpenAtLoginPresenter::choose(bool on) {
    auto refusal = model_.setOpensAtLogin(on);
    auto answer = LoginItemAnswer::of(on, refusal, model_.loginItemState());
    assignNotifying(*this, answer_, answer, &OpenAtLoginPresenter::answerChanged);
    switch (answer.kind) {
    case LoginItemAnswer::Case::finished:
        return true;
    case LoginItemAnswer::Case::awaitingApproval:
        model_.openLoginItemSettings();
        return false;
    case LoginItemAnswer::Case::notTurnedOn:
        return false;
    }
    return false;
}

QVariantMap OpenAtLoginPresenter::notice() const {
    return SetupNotice::map(SetupNotice::openAtLogin(answer_));
}

QVariantMap OpenAtLoginPresenter::firstEnrollment() const {
    return FirstEnrollment::of(model_.enrollments());
}

} // namespace velto
