#pragma once

#include "VeltoDesktop/Setup/CommandLineToolStepModel.hpp"

namespace velto {

class AppModel;

/// The command-line tool step's view of the application model: reads and calls pass through, and the
/// model's change signals are forwarded.
class AppCommandLineToolStepModel final : public CommandLineToolStepModel {
public:
    explicit AppCommandLineToolStepModel(AppModel& model, QObject* parent = nullptr);

    CommandLineToolState commandLineToolState() const override;
    std::optional<std::string> commandLineToolRefusal() const override;
    bool isInstallingCommandLineTool() const override;

    void refreshCommandLineTool() override;
    boost::asio::awaitable<CommandLineToolInstall> installCommandLineTool() override;

private:
    AppModel& model_;
};

} // namespace velto
