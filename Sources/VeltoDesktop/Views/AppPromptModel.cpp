#include "VeltoDesktop/Views/AppPromptModel.hpp"

#include "VeltoDesktop/Model/AppModel.hpp"

namespace velto {

AppPromptModel::AppPromptModel(AppModel& model, QObject* parent) : PromptModel(parent), model_(model) {
    connect(&model_.enrollment(), &EnrollmentModel::promptChanged, this,
            &PromptModel::enrollmentPromptChanged);
}

const std::optional<EnrollmentPrompt>& AppPromptModel::enrollmentPrompt() const {
    return model_.enrollment().prompt();
}

void AppPromptModel::confirm() {
    model_.spawn("confirm the enrollment", model_.enrollment().confirm());
}

void AppPromptModel::closed() {
    model_.enrollment().promptClosed();
}

} // namespace velto
