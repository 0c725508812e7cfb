#include "VeltoDesktop/Views/AppPromptModel.hpp"

#include "VeltoDesktop/Model/AppModel.hpp"

namespace velto {

AppPromptModel::AppPromptModel(AppModel& model, QObject* parent) : PromptModel(parent), model_(model) {
    connect(&model_, &AppModel::enrollmentPromptChanged, this, &PromptModel::enrollmentPromptChanged);
}

const std::optional<EnrollmentPrompt>& AppPromptModel::enrollmentPrompt() const {
    return model_.enrollmentPrompt();
}

void AppPromptModel::confirm() {
    model_.spawn("confirm the enrollment", model_.confirmEnrollment());
}

void AppPromptModel::closed() {
    model_.promptClosed();
}

} // namespace velto
