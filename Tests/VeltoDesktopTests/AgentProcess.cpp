#include "AgentProcess.hpp"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>

namespace velto::testing {

namespace {

void writeScript(const std::filesystem::path& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path, std::filesystem::perms(0755));
}

} // namespace

std::optional<std::string> AgentProcess::unavailableReason() {
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        return "no session bus (run the tests through scripts/with-keyring.sh)";
    if (std::filesystem::exists("/run/systemd/journal/socket"))
        return "a journal runs here, so the agent's log is not on its standard error";
    return std::nullopt;
}

AgentProcess::AgentProcess(bool systemBus) {
    const auto root = folder_.path();
    for (const char* name : {"config", "data", "cache", "bin"})
        std::filesystem::create_directories(root / name);
    std::filesystem::create_directories(root / "runtime");
    chmod((root / "runtime").c_str(), 0700);

    const auto bin = root / "bin";
    writeScript(bin / "login-shell",
                "for last; do :; done\nPATH=" + bin.string() + ":/usr/bin:/bin exec /bin/sh -c \"$last\"\n");
    for (const char* tool : {"claude", "codex", "muse"})
        writeScript(bin / tool, std::string("echo \"") + tool + " 1.0.0\"\n");
    // The fake node must not find itself: the real one is looked up on the ordinary PATH.
    writeScript(bin / "node", "PATH=/usr/local/bin:/usr/bin:/bin exec node \"$@\"\n");

    std::string systemAddress = "unix:path=" + (root / "no-such-bus").string();
    if (systemBus) {
        bus_ = std::make_unique<ChildProcess>(
            "dbus-daemon", std::vector<std::string>{"--session", "--nofork", "--print-address=1"});
        auto address = bus_->readLine(std::chrono::seconds(10));
        if (!address)
            throw std::runtime_error("the private system bus did not start");
        systemAddress = *address;
        services_ = std::make_unique<ChildProcess>(VELTO_FAKE_SYSTEM_SERVICES,
                                                   std::vector<std::string>{systemAddress, "Test Mac"});
        if (services_->readLine(std::chrono::seconds(10)) != "ready")
            throw std::runtime_error("the fake system services did not start");
    }
    environment_ = {{"HOME", root.string()},
                    {"XDG_CONFIG_HOME", (root / "config").string()},
                    {"XDG_DATA_HOME", (root / "data").string()},
                    {"XDG_CACHE_HOME", (root / "cache").string()},
                    {"XDG_RUNTIME_DIR", (root / "runtime").string()},
                    {"PATH", bin.string() + ":/usr/bin:/bin"},
                    {"SHELL", (bin / "login-shell").string()},
                    {"DBUS_SYSTEM_BUS_ADDRESS", systemAddress},
                    // No display here: the windows draw offscreen.
                    {"QT_QPA_PLATFORM", "offscreen"},
                    {"DBUS_SESSION_BUS_ADDRESS", std::getenv("DBUS_SESSION_BUS_ADDRESS")},
                    // Coroutines still suspended when the process ends are not unwound: their frames
                    // are what LeakSanitizer would report at every exit with open connections.
                    {"ASAN_OPTIONS", "detect_leaks=0"}};
}

AgentProcess::~AgentProcess() {
    services_.reset();
    bus_.reset();
}

std::filesystem::path AgentProcess::builtExecutable() {
    return std::filesystem::path(VELTO_BUNDLE) / "Contents/bin/Velto";
}

std::unique_ptr<ChildProcess> AgentProcess::start(const std::vector<std::string>& arguments,
                                                  const std::filesystem::path& executable) const {
    std::vector<std::string> command{"-i"};
    for (const auto& [name, value] : environment_)
        command.push_back(name + "=" + value);
    command.insert(command.end(), {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", executable.string()});
    command.insert(command.end(), arguments.begin(), arguments.end());
    return std::make_unique<ChildProcess>("env", command);
}

bool AgentProcess::waitForLine(ChildProcess& process, const std::string& line,
                               std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        auto next = process.readLine(std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()));
        if (!next)
            return false;
        if (*next == line)
            return true;
    }
    return false;
}

bool AgentProcess::waitForSystemLine(const std::string& line, std::chrono::milliseconds timeout) {
    return services_ && waitForLine(*services_, line, timeout);
}

std::optional<std::string> AgentProcess::nextSystemLine(std::chrono::milliseconds timeout) {
    if (!services_)
        return std::nullopt;
    return services_->readLine(timeout);
}

} // namespace velto::testing
