#include "VeltoDesktop/Views/EnrollmentPromptController.hpp"

#include "VeltoDesktop/Views/PromptModel.hpp"

namespace velto {

EnrollmentPromptController::EnrollmentPromptController(PromptModel& model, std::function<void()> close,
                                                       QObject* parent)
    : QObject(parent), model_(&model), close_(std::move(close)), presentation_(model.enrollmentPrompt()) {
    connect(&model, &PromptModel::enrollmentPromptChanged, this, [this] {
        if (!model_)
            return;
        presentation_ = EnrollmentPromptPresentation(model_->enrollmentPrompt());
        Q_EMIT changed();
    });
}

QString EnrollmentPromptController::stage() const {
    switch (presentation_.stage) {
    case EnrollmentPromptPresentation::Stage::none:
        return QStringLiteral("none");
    case EnrollmentPromptPresentation::Stage::confirming:
        return QStringLiteral("confirming");
    case EnrollmentPromptPresentation::Stage::enrolling:
        return QStringLiteral("enrolling");
    case EnrollmentPromptPresentation::Stage::joined:
        return QStringLiteral("joined");
    case EnrollmentPromptPresentation::Stage::failed:
        return QStringLiteral("failed");
    }
    return QStringLiteral("none");
}

void EnrollmentPromptController::enroll() {
    if (!model_ || presentation_.stage != EnrollmentPromptPresentation::Stage::confirming)
        return;
    model_->confirm();
}

void EnrollmentPromptController::close() {
    if (close_)
        close_();
}

} // namespace velto
