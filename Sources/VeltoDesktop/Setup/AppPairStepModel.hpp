#pragma once

#include "VeltoDesktop/Setup/PairStepModel.hpp"

namespace velto {

class AppModel;

/// The pair step's view of the application model: reads and calls pass through, and the model's
/// change signals are forwarded.
class AppPairStepModel final : public PairStepModel {
public:
    explicit AppPairStepModel(AppModel& model, QObject* parent = nullptr);

    const std::optional<EnrollmentPrompt>& enrollmentPrompt() const override;
    bool isSpending() const override;
    std::vector<Enrollment> enrollments() const override;
    EnrollmentForm& enrollmentForm() override;

    void propose(const EnrollmentLink& link) override;
    void dismissPrompt() override;
    boost::asio::awaitable<void> confirmEnrollment() override;

private:
    AppModel& model_;
};

} // namespace velto
