#pragma once

#include "VeltoDesktop/Model/EnrollmentPrompt.hpp"

#include <QObject>
#include <optional>

namespace velto {

/// What the enrollment prompt's window reads of the application and asks of it. Main thread only.
class PromptModel : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~PromptModel() override = default;

    virtual const std::optional<EnrollmentPrompt>& enrollmentPrompt() const = 0;
    /// Spends the confirmed proposal's codes, in a task of the application's.
    virtual void confirm() = 0;
    /// The window closed: the prompt goes, unless a proposal is being spent.
    virtual void closed() = 0;

Q_SIGNALS:
    void enrollmentPromptChanged();
};

} // namespace velto
