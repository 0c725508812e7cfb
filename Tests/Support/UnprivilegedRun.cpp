#include "UnprivilegedRun.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "TemporaryFolder.hpp"

extern char** environ;

namespace velto::testing {

namespace {

constexpr uid_t nobody = 65534;
constexpr gid_t nogroup = 65534;

/// This process's environment with the user's folders moved to `home`.
std::vector<std::string> childEnvironment(const std::filesystem::path& home) {
    const std::string dropped[] = {
        "TMPDIR=",          "HOME=",          "XDG_RUNTIME_DIR=", "XDG_CACHE_HOME=",
        "XDG_CONFIG_HOME=", "XDG_DATA_HOME=", "GTEST_OUTPUT="};
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string variable(*entry);
        bool keep = true;
        for (const auto& prefix : dropped)
            keep = keep && variable.rfind(prefix, 0) != 0;
        if (keep)
            variables.push_back(std::move(variable));
    }
    variables.push_back("TMPDIR=" + home.string());
    variables.push_back("HOME=" + home.string());
    return variables;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (auto& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

/// Runs the program and returns its exit status and what it wrote to either output.
std::pair<int, std::string> run(std::vector<std::string> arguments, std::vector<std::string> environment) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return {-1, std::strerror(errno)};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    auto argv = pointers(arguments);
    auto envp = pointers(environment);
    pid_t child = -1;
    int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t count; (count = ::read(pipe[0], buffer, sizeof buffer)) != 0;) {
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            break;
        output.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(pipe[0]);
    if (spawned != 0)
        return {-1, std::strerror(spawned)};
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), output};
}

} // namespace

bool runsUnprivileged() {
    if (::geteuid() != 0)
        return true;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    TemporaryFolder home;
    if (::chown(home.path().c_str(), nobody, nogroup) != 0) {
        ADD_FAILURE() << "could not give a folder to nobody: " << std::strerror(errno);
        return false;
    }
    auto program = std::filesystem::read_symlink("/proc/self/exe").string();
    auto [status, output] =
        run({"/usr/bin/setpriv", "--reuid=" + std::to_string(nobody), "--regid=" + std::to_string(nogroup),
             "--clear-groups", "--", program, "--gtest_filter=" + name, "--gtest_color=no"},
            childEnvironment(home.path()));
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
    return false;
}

} // namespace velto::testing
