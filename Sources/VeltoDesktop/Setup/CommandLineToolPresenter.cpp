#include "VeltoDesktop/Setup/CommandLineToolPresenter.hpp"

#include "VeltoDesktop/Setup/CommandLineToolStepModel.hpp"
#include "VeltoDesktop/Setup/SetupNotice.hpp"

#include <optional>

namespace velto {

CommandLineToolPresenter::CommandLineToolPresenter(CommandLineToolStepModel& model, QObject* parent)
    : QObject(parent), model_(model) {
    connect(&model_, &CommandLineToolStepModel::commandLineToolRefusalChanged, this,
            &CommandLineToolPresenter::noticeChanged);
    connect(&model_, &CommandLineToolStepModel::isInstallingCommandLineToolChanged, this,
            &CommandLineToolPresenter::isInstallingChanged);
}

void CommandLineToolPresenter::refresh() {
    model_.refreshCommandLineTool();
}

bool CommandLineToolPresenter::isOffered() const {
    const auto state = model_.commandLineToolState();
    return state == CommandLineToolState::notInstalled || state == CommandLineToolState::taken;
}

bool CommandLineToolPresenter::isInstalling() const {
    return model_.isInstallingCommandLineTool();
}

boost::asio::awaitable<bool> CommandLineToolPresenter::install() {
    auto& model = model_;
    std::optional<CommandLineToolInstall> outcome;
    try {
        auto installing = model.installCommandLineTool();
        outcome = co_await std::move(installing);
    } catch (...) {
    }
    co_return outcome && outcome->kind == CommandLineToolInstall::Case::installed;
}

QVariantMap CommandLineToolPresenter::notice() const {
    return SetupNotice::map(SetupNotice::commandLineTool(model_.commandLineToolRefusal()));
}

} // namespace velto
