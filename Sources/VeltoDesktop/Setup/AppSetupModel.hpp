#pragma once

#include "VeltoDesktop/Setup/AppCommandLineToolStepModel.hpp"
#include "VeltoDesktop/Setup/AppFederationStepModel.hpp"
#include "VeltoDesktop/Setup/AppMonitoringStepModel.hpp"
#include "VeltoDesktop/Setup/AppOpenAtLoginStepModel.hpp"
#include "VeltoDesktop/Setup/AppPairStepModel.hpp"
#include "VeltoDesktop/Setup/SetupFinishing.hpp"
#include "VeltoDesktop/Setup/SetupFlow.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <functional>

namespace velto {

class AppModel;
class UrlOpening;

/// The setup window's view of the application model: one narrow view per step, and the preference
/// that setup was finished. The login items settings open through `openSettings`. Main thread only.
class AppSetupModel final : public SetupFinishing {
public:
    AppSetupModel(AppModel& model, std::function<void()> openSettings);

    /// What a flow over these needs, with the browser and the main thread's executor.
    SetupFlow::Dependencies flowDependencies(UrlOpening& opener, boost::asio::any_io_executor main);

    void setHasFinishedSetup(bool finished) override;

private:
    AppModel& model_;
    AppPairStepModel pair_;
    AppFederationStepModel federation_;
    AppMonitoringStepModel monitoring_;
    AppCommandLineToolStepModel commandLineTool_;
    AppOpenAtLoginStepModel openAtLogin_;
};

} // namespace velto
