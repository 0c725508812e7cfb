#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.hpp"
#include "TemporaryFolder.hpp"

namespace velto::testing {

/// The built executable in a scratch home of its own: XDG folders and a private runtime folder in a
/// temporary folder, a private bus standing in for the system bus with fake logind and hostnamed,
/// fake `node`, `claude`, `codex`, `muse` and login shell on its PATH, and the test's session bus
/// (with its keyring). Its standard error (the log, as no journal runs here) is read as lines.
class AgentProcess {
public:
    /// With `systemBus` false, DBUS_SYSTEM_BUS_ADDRESS names a bus that does not exist.
    explicit AgentProcess(bool systemBus = true);
    ~AgentProcess();

    /// Why the tests of the executable cannot run here, or nothing.
    static std::optional<std::string> unavailableReason();

    /// The built bundle's executable.
    static std::filesystem::path builtExecutable();

    /// Starts the agent with `arguments`; a second call starts another instance beside it.
    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& arguments,
                                        const std::filesystem::path& executable = builtExecutable()) const;
    /// Reads lines of `process` until one equals `line`; false when the output ends or time runs out.
    static bool waitForLine(ChildProcess& process, const std::string& line,
                            std::chrono::milliseconds timeout = std::chrono::seconds(20));
    /// Reads lines of the fake system services until one equals `line`.
    bool waitForSystemLine(const std::string& line,
                           std::chrono::milliseconds timeout = std::chrono::seconds(20));
    /// The next line of the fake system services, whatever it says.
    std::optional<std::string> nextSystemLine(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    void sendSystem(const std::string& command) { services_->writeLine(command); }

    const std::filesystem::path& home() const { return folder_.path(); }
    std::map<std::string, std::string> environment() const { return environment_; }
    void setVariable(const std::string& name, std::string value) { environment_[name] = std::move(value); }
    void removeVariable(const std::string& name) { environment_.erase(name); }

private:
    TemporaryFolder folder_;
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> services_;
    std::map<std::string, std::string> environment_;
};

} // namespace velto::testing
