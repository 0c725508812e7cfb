#pragma once

#include "VeltoDesktop/Model/EnrollmentForm.hpp"
#include "VeltoDesktop/Model/EnrollmentPrompt.hpp"
#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentLink.hpp"

#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <optional>
#include <vector>

namespace velto {

/// What the pair step (and the window around it) reads of the application model and calls on it. Each
/// signal follows a change of what its name says. Main thread only.
class PairStepModel : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~PairStepModel() override = default;

    virtual const std::optional<EnrollmentPrompt>& enrollmentPrompt() const = 0;
    /// Whether an approved proposal's codes are being spent.
    virtual bool isSpending() const = 0;
    /// One per organization row, in row order.
    virtual std::vector<Enrollment> enrollments() const = 0;
    /// The typed or pasted server address and code.
    virtual EnrollmentForm& enrollmentForm() = 0;

    virtual void propose(const EnrollmentLink& link) = 0;
    /// The prompt goes, unless a proposal is being spent.
    virtual void dismissPrompt() = 0;
    virtual boost::asio::awaitable<void> confirmEnrollment() = 0;

Q_SIGNALS:
    void enrollmentPromptChanged();
    void enrollmentInFlightChanged();
    void organizationsChanged();
};

} // namespace velto
