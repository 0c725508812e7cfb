#include "VeltoDesktop/Windows/QuickViewWindows.hpp"

#include "VeltoDesktop/Setup/IllustrationClock.hpp"
#include "VeltoDesktop/Setup/MotionPreference.hpp"
#include "VeltoDesktop/Setup/SetupWindow.hpp"
#include "VeltoDesktop/Views/EnrollmentWindow.hpp"
#include "VeltoDesktop/Views/MenuPanel.hpp"
#include "VeltoDesktop/Views/ViewEngine.hpp"

namespace velto {

QuickViewWindows::QuickViewWindows(Context context) : context_(std::move(context)) {
    views_ = std::make_unique<ViewEngine>(context_.panelModel, *context_.remote);
    panel_ = std::make_unique<MenuPanel>(*views_, *context_.menu, MenuPanel::system());
    enrollmentWindow_ = std::make_unique<EnrollmentWindow>(*context_.prompt, *views_);
    if (context_.motion)
        setReduceMotion(context_.motion->reduceMotion());
}

QuickViewWindows::~QuickViewWindows() {
    // Windows before the engine they are drawn in.
    setupWindow_.reset();
    enrollmentWindow_.reset();
    panel_.reset();
    views_.reset();
}

StatusPanel& QuickViewWindows::panel() {
    return *panel_;
}

void QuickViewWindows::showEnrollmentPrompt() {
    enrollmentWindow_->show();
}

void QuickViewWindows::showSetup() {
    if (!setupWindow_) {
        std::function<QQmlEngine&()> makeEngine = [views = views_.get()]() -> QQmlEngine& {
            return views->engine();
        };
        setupWindow_ = std::make_unique<SetupWindow>(
            SetupWindow::Dependencies{context_.setupFlow(), SetupWindow::Engine(std::move(makeEngine)),
                                      context_.remote, context_.motion, &IllustrationClock::systemNow});
    }
    setupWindow_->show();
}

void QuickViewWindows::setReduceMotion(bool reduce) {
    enrollmentWindow_->controller().setReduceMotion(reduce);
}

} // namespace velto
