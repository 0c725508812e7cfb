#pragma once

#include "VeltoDesktop/Setup/SetupFlow.hpp"

#include <functional>

namespace velto {

class MotionPreference;
class PanelModel;
class PromptModel;
class RemoteImageCache;
class StatusMenuController;
class StatusPanel;

/// The windows on Qt Quick over one view engine: the status menu's panel, the enrollment prompt's
/// window and the setup window. They live in a module of their own (libVeltoWindows.so), loaded at the
/// first window, so that an agent that only sits in the tray maps no Qt Quick. Main thread.
class ViewWindows {
public:
    /// What the windows read, owned by the executable and outliving them.
    struct Context {
        PanelModel* panelModel = nullptr;
        StatusMenuController* menu = nullptr;
        PromptModel* prompt = nullptr;
        RemoteImageCache* remote = nullptr;
        MotionPreference* motion = nullptr;
        /// The setup's flow, asked at the setup window's first show.
        std::function<SetupFlow::Dependencies()> setupFlow;
    };

    /// The module's one exported function: `ViewWindows* veltoMakeViewWindows(const Context&)`, the
    /// caller owning the result.
    using Factory = ViewWindows* (*)(const Context&);
    static constexpr const char* factoryName = "veltoMakeViewWindows";

    virtual ~ViewWindows() = default;

    /// The status menu's panel; its window is made at its first show.
    virtual StatusPanel& panel() = 0;
    virtual void showEnrollmentPrompt() = 0;
    virtual void showSetup() = 0;
    virtual void setReduceMotion(bool reduce) = 0;
};

} // namespace velto
