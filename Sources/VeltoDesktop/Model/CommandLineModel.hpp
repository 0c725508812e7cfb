#pragma once

#include "VeltoDesktop/Model/OwnedTasks.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineLogins.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineTool.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineToolInstall.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineToolState.hpp"
#include "VeltoDevice/HTTP/DeviceIdentity.hpp"
#include "VeltoDevice/Support/Clock.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velto {

/// The velto command: its link on the PATH, and the logins it reads, one per connected organization,
/// renewed with that organization's identity. Main thread; the tool lives on the device executor, the
/// login file is written on the storage strand.
class CommandLineModel final : public QObject {
    Q_OBJECT

public:
    /// The renewal period of the logins.
    static constexpr std::chrono::seconds loginPeriod{1200};

    struct Dependencies {
        boost::asio::any_io_executor main;
        boost::asio::any_io_executor device;
        boost::asio::any_io_executor storage;
        std::shared_ptr<Clock> clock;
        std::shared_ptr<CommandLineTool> tool;
        /// Nothing when there is no home folder.
        std::shared_ptr<CommandLineLogins> logins;
        /// The device ids of the saved organizations, which keep their logins.
        std::function<std::vector<std::string>()> savedDeviceIds;
    };

    explicit CommandLineModel(Dependencies dependencies);

    CommandLineToolState toolState() const { return toolState_; }
    const std::optional<std::string>& toolRefusal() const { return toolRefusal_; }
    bool isInstallingTool() const { return isInstallingTool_; }
    /// The identity each login is fetched with, by device id.
    const std::map<std::string, DeviceIdentity>& identities() const { return identities_; }

    void refreshTool();
    boost::asio::awaitable<CommandLineToolInstall> installTool();

    /// The organization's login is fetched with this identity from now on.
    void remember(const std::string& deviceId, const DeviceIdentity& identity);
    /// Starts the renewal task once: the logins of organizations no longer saved are dropped, then
    /// every remembered organization's login is renewed each `loginPeriod`.
    void keepLogins();
    boost::asio::awaitable<void> forgetUnpairedLogins();
    boost::asio::awaitable<void> refreshLogins();
    boost::asio::awaitable<void> refreshLogin(std::string deviceId);
    boost::asio::awaitable<void> forgetLogin(std::string deviceId);

Q_SIGNALS:
    void toolStateChanged();
    void toolRefusalChanged();
    void isInstallingToolChanged();

private:
    Dependencies dependencies_;
    CommandLineToolState toolState_ = CommandLineToolState::unavailable;
    std::optional<std::string> toolRefusal_;
    bool isInstallingTool_ = false;
    std::map<std::string, DeviceIdentity> identities_;
    bool isKeepingLogins_ = false;
    OwnedTasks tasks_;
};

} // namespace velto
