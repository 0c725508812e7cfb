#include "VeltoDesktop/Setup/AppCommandLineToolStepModel.hpp"

#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Model/CommandLineModel.hpp"

namespace velto {

AppCommandLineToolStepModel::AppCommandLineToolStepModel(AppModel& model, QObject* parent)
    : CommandLineToolStepModel(parent), model_(model) {
    connect(&model_.commandLine(), &CommandLineModel::toolRefusalChanged, this,
            &CommandLineToolStepModel::commandLineToolRefusalChanged);
    connect(&model_.commandLine(), &CommandLineModel::isInstallingToolChanged, this,
            &CommandLineToolStepModel::isInstallingCommandLineToolChanged);
}

CommandLineToolState AppCommandLineToolStepModel::commandLineToolState() const {
    return model_.commandLine().toolState();
}

std::optional<std::string> AppCommandLineToolStepModel::commandLineToolRefusal() const {
    return model_.commandLine().toolRefusal();
}

bool AppCommandLineToolStepModel::isInstallingCommandLineTool() const {
    return model_.commandLine().isInstallingTool();
}

void AppCommandLineToolStepModel::refreshCommandLineTool() {
    model_.commandLine().refreshTool();
}

// The model's own coroutine is handed on, so that nothing of this object is needed once it runs.
boost::asio::awaitable<CommandLineToolInstall> AppCommandLineToolStepModel::installCommandLineTool() {
    return model_.commandLine().installTool();
}

} // namespace velto
