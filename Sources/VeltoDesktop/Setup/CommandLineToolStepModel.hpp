#pragma once

#include "VeltoDevice/CommandLineTool/CommandLineToolInstall.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineToolState.hpp"

#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <optional>
#include <string>

namespace velto {

/// What the command-line tool step reads of the application model and calls on it. Each signal
/// follows a change of what its name says. Main thread only.
class CommandLineToolStepModel : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~CommandLineToolStepModel() override = default;

    virtual CommandLineToolState commandLineToolState() const = 0;
    /// Why the last install was refused, until the next one.
    virtual std::optional<std::string> commandLineToolRefusal() const = 0;
    virtual bool isInstallingCommandLineTool() const = 0;

    virtual void refreshCommandLineTool() = 0;
    virtual boost::asio::awaitable<CommandLineToolInstall> installCommandLineTool() = 0;

Q_SIGNALS:
    void commandLineToolRefusalChanged();
    void isInstallingCommandLineToolChanged();
};

} // namespace velto
