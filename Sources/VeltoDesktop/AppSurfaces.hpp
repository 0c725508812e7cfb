#pragma once

namespace velto {

class AppModel;

/// The application's windows as the delegate uses them: the status item with its panel and the
/// enrollment prompt's window. Without them the agent runs windowless and the hooks only log.
class AppSurfaces {
public:
    virtual ~AppSurfaces() = default;

    /// Before anything is shown: the model every window reads.
    virtual void attach(AppModel& model) = 0;
    /// When launching has finished: the status item appears.
    virtual void showStatusItem() = 0;
    virtual void showEnrollmentPrompt() = 0;
    /// The model's `closeMenu`.
    virtual void closeMenu() = 0;
    /// A later start without links: the application's window comes forward.
    virtual void bringForward() = 0;
};

} // namespace velto
