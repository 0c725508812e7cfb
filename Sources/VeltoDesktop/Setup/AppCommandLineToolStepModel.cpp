#include "VeltoDesktop/Setup/AppCommandLineToolStepModel.hpp"

#include "VeltoDesktop/AppModel.hpp"

namespace velto {

AppCommandLineToolStepModel::AppCommandLineToolStepModel(AppModel& model, QObject* parent)
    : CommandLineToolStepModel(parent), model_(model) {
    connect(&model_, &AppModel::commandLineToolRefusalChanged, this,
            &CommandLineToolStepModel::commandLineToolRefusalChanged);
    connect(&model_, &AppModel::isInstallingCommandLineToolChanged, this,
            &CommandLineToolStepModel::isInstallingCommandLineToolChanged);
}

CommandLineToolState AppCommandLineToolStepModel::commandLineToolState() const {
    return model_.commandLineToolState();
}

std::optional<std::string> AppCommandLineToolStepModel::commandLineToolRefusal() const {
    return model_.commandLineToolRefusal();
}

bool AppCommandLineToolStepModel::isInstallingCommandLineTool() const {
    return model_.isInstallingCommandLineTool();
}

void AppCommandLineToolStepModel::refreshCommandLineTool() {
    model_.refreshCommandLineTool();
}

// The model's own coroutine is handed on, so that nothing of this object is needed once it runs.
boost::asio::awaitable<CommandLineToolInstall> AppCommandLineToolStepModel::installCommandLineTool() {
    return model_.installCommandLineTool();
}

} // namespace velto
