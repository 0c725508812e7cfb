#pragma once

#include "VeltoDesktop/Views/PromptModel.hpp"

namespace velto {

class AppModel;

/// The enrollment prompt's view of the application model: the prompt and its change, confirming and
/// closing.
class AppPromptModel final : public PromptModel {
    Q_OBJECT

public:
    explicit AppPromptModel(AppModel& model, QObject* parent = nullptr);

    const std::optional<EnrollmentPrompt>& enrollmentPrompt() const override;
    void confirm() override;
    void closed() override;

private:
    AppModel& model_;
};

} // namespace velto
