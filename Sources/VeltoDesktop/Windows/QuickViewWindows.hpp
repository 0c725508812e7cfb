#pragma once

#include "VeltoDesktop/Views/ViewWindows.hpp"

#include <memory>

namespace velto {

class EnrollmentWindow;
class MenuPanel;
class SetupWindow;
class ViewEngine;

/// The windows module's windows: the panel, the enrollment prompt's window and the setup window (made
/// at its first show) over one view engine, whose QML engine is made when a window first asks for it.
class QuickViewWindows final : public ViewWindows {
public:
    explicit QuickViewWindows(Context context);
    ~QuickViewWindows() override;

    StatusPanel& panel() override;
    void showEnrollmentPrompt() override;
    void showSetup() override;
    void setReduceMotion(bool reduce) override;

private:
    Context context_;
    std::unique_ptr<ViewEngine> views_;
    std::unique_ptr<MenuPanel> panel_;
    std::unique_ptr<EnrollmentWindow> enrollmentWindow_;
    std::unique_ptr<SetupWindow> setupWindow_;
};

} // namespace velto
