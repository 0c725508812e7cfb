#include "VeltoDevice/Support/SpawnedProcess.hpp"

#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/FileDescriptor.hpp"
#include "VeltoDevice/Support/LoggedCompletion.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace velto {

namespace {

[[noreturn]] void fail(int error) {
    throw std::system_error(error, std::generic_category());
}

void ignoreBrokenPipes() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = SIG_IGN;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGPIPE, &action, nullptr);
    });
}

/// Keeps a descriptor of ours clear of 0, 1 and 2, so that setting up the child's standard streams
/// never closes or overwrites another of its pipes.
FileDescriptor aboveStandardStreams(int fd) {
    if (fd > STDERR_FILENO)
        return FileDescriptor(fd);
    int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    int error = errno;
    ::close(fd);
    if (moved < 0)
        fail(error);
    return FileDescriptor(moved);
}

struct Pipe {
    FileDescriptor ours;
    FileDescriptor childs;
};

/// A close-on-exec pipe; only our end is non-blocking (a child expects blocking standard streams).
Pipe makePipe(bool childReads) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        fail(errno);
    FileDescriptor readEnd(fds[0]);
    FileDescriptor writeEnd(fds[1]);
    readEnd = aboveStandardStreams(readEnd.release());
    writeEnd = aboveStandardStreams(writeEnd.release());
    Pipe pipe{childReads ? std::move(writeEnd) : std::move(readEnd),
              childReads ? std::move(readEnd) : std::move(writeEnd)};
    int flags = ::fcntl(pipe.ours.get(), F_GETFL);
    if (flags < 0 || ::fcntl(pipe.ours.get(), F_SETFL, flags | O_NONBLOCK) < 0)
        fail(errno);
    return pipe;
}

// Through syscall(): glibc 2.36 declares its wrappers without C linkage for C++.
int openPidfd(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

int sendThroughPidfd(int pidfd, int signal) {
    return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
}

bool holdsNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

class FileActions {
public:
    FileActions() { posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;

    void check(int error) {
        if (error != 0)
            fail(error);
    }

    /// The child's stream `target`: the pipe's end, or the null device.
    void stream(int target, const std::optional<Pipe>& pipe, int nullMode) {
        if (pipe)
            check(posix_spawn_file_actions_adddup2(&actions_, pipe->childs.get(), target));
        else
            check(posix_spawn_file_actions_addopen(&actions_, target, "/dev/null", nullMode, 0));
    }

    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
public:
    SpawnAttributes() {
        posix_spawnattr_init(&attributes_);
        sigset_t all;
        sigfillset(&all);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setflags(&attributes_,
                                 POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    posix_spawnattr_t* get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

/// The words of argv or envp, and the pointers to them that exec takes.
class Words {
public:
    void add(std::string word) { words_.push_back(std::move(word)); }
    char* const* pointers() {
        pointers_.clear();
        for (auto& word : words_)
            pointers_.push_back(word.data());
        pointers_.push_back(nullptr);
        return pointers_.data();
    }

private:
    std::vector<std::string> words_;
    std::vector<char*> pointers_;
};

void validate(const ProcessLaunch& launch) {
    const auto& executable = launch.executable.native();
    bool valid = launch.executable.is_absolute() && !holdsNul(executable);
    for (const auto& argument : launch.arguments)
        valid = valid && !holdsNul(argument);
    for (const auto& [name, value] : launch.environment)
        valid = valid && !name.empty() && name.find('=') == std::string::npos && !holdsNul(name) &&
                !holdsNul(value);
    if (launch.workingDirectory)
        valid = valid && !launch.workingDirectory->empty() && !holdsNul(launch.workingDirectory->native());
    if (!valid)
        fail(EINVAL);
}

} // namespace

struct SpawnedProcess::Watch {
    Watch(const boost::asio::any_io_executor& executor, int pidfd) : descriptor(executor, pidfd) {}
    /// The pidfd: readable once the child has exited.
    boost::asio::posix::stream_descriptor descriptor;
};

struct SpawnedProcess::Child {
    pid_t pid = -1;
    FileDescriptor pidfd;
    std::optional<FileDescriptor> input, output, errors;

    Child() = default;
    Child(Child&& other) noexcept
        : pid(std::exchange(other.pid, -1)), pidfd(std::move(other.pidfd)), input(std::move(other.input)),
          output(std::move(other.output)), errors(std::move(other.errors)) {}
    Child& operator=(Child&&) = delete;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        // Never adopted: it leads its own group, which goes with it; it has only just started.
        if (pid <= 0)
            return;
        ::kill(-pid, SIGKILL);
        int ignored = 0;
        while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
        }
    }
};

std::shared_ptr<SpawnedProcess> SpawnedProcess::spawn(boost::asio::any_io_executor executor,
                                                      const ProcessLaunch& launch) {
    return adopt(std::move(executor), start(launch));
}

boost::asio::awaitable<std::shared_ptr<SpawnedProcess>>
SpawnedProcess::spawnOn(boost::asio::any_io_executor blocking, ProcessLaunch launch) {
    // Starting cannot be cancelled half-way: it ends, and a child nobody takes is killed with it.
    auto starting = runBlocking(std::move(blocking), [launch = std::move(launch)] { return start(launch); });
    auto child = co_await std::move(starting);
    auto executor = co_await boost::asio::this_coro::executor;
    co_return adopt(std::move(executor), std::move(child));
}

SpawnedProcess::Child SpawnedProcess::start(const ProcessLaunch& launch) {
    ignoreBrokenPipes();
    validate(launch);

    using Stream = ProcessLaunch::Stream;
    std::optional<Pipe> input, output, errors;
    if (launch.input == Stream::pipe)
        input = makePipe(true);
    if (launch.output == Stream::pipe)
        output = makePipe(false);
    if (launch.errors == Stream::pipe)
        errors = makePipe(false);

    FileActions actions;
    if (launch.workingDirectory)
        actions.check(posix_spawn_file_actions_addchdir_np(actions.get(), launch.workingDirectory->c_str()));
    actions.stream(STDIN_FILENO, input, O_RDONLY);
    actions.stream(STDOUT_FILENO, output, O_WRONLY);
    actions.stream(STDERR_FILENO, errors, O_WRONLY);
    // Everything else is close-on-exec already; this also catches what other code opened without it,
    // since a descriptor a child inherits (another job's pipe) would hold that other end open.
    actions.check(posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1));

    SpawnAttributes attributes;
    Words arguments;
    arguments.add(launch.executable.native());
    for (const auto& argument : launch.arguments)
        arguments.add(argument);
    Words environment;
    for (const auto& [name, value] : launch.environment)
        environment.add(name + "=" + value);

    pid_t pid = -1;
    int error = ::posix_spawn(&pid, launch.executable.c_str(), actions.get(), attributes.get(),
                              arguments.pointers(), environment.pointers());
    if (error != 0)
        fail(error);

    // The child has its copies; ours would keep its streams from ever ending.
    for (auto* pipe : {&input, &output, &errors}) {
        if (*pipe)
            (*pipe)->childs = FileDescriptor();
    }

    // The child is ours and nothing reaps it behind our back, so its pid still names it here.
    int pidfd = openPidfd(pid);
    if (pidfd < 0) {
        int openError = errno;
        ::kill(pid, SIGKILL);
        int ignored = 0;
        while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
        }
        fail(openError);
    }

    Child child;
    child.pid = pid;
    child.pidfd = FileDescriptor(pidfd);
    for (auto [pipe, ours] : {std::pair{&input, &child.input}, std::pair{&output, &child.output},
                              std::pair{&errors, &child.errors}}) {
        if (*pipe)
            *ours = std::move((*pipe)->ours);
    }
    return child;
}

std::shared_ptr<SpawnedProcess> SpawnedProcess::adopt(boost::asio::any_io_executor executor, Child child) {
    std::shared_ptr<SpawnedProcess> process(
        new SpawnedProcess(executor, std::exchange(child.pid, -1), child.pidfd.release()));
    if (child.input)
        process->input.emplace(executor, child.input->release());
    if (child.output)
        process->output.emplace(executor, child.output->release());
    if (child.errors)
        process->errors.emplace(executor, child.errors->release());
    return process;
}

SpawnedProcess::SpawnedProcess(boost::asio::any_io_executor executor, pid_t pid, int pidfd)
    : executor_(std::move(executor)), pid_(pid), watch_(std::make_unique<Watch>(executor_, pidfd)) {}

SpawnedProcess::~SpawnedProcess() {
    if (!isReaped())
        tryReap(killed_);
}

std::optional<int> SpawnedProcess::waitStatus(int flags) {
    if (isReaped())
        return exitCode_;
    for (;;) {
        siginfo_t info{};
        int result =
            ::waitid(P_PIDFD, static_cast<id_t>(watch_->descriptor.native_handle()), &info, WEXITED | flags);
        if (result < 0 && errno == EINTR)
            continue;
        if (result < 0) {
            // Reaped by someone else after all: there is no status left to take.
            exitCode_ = -1;
            return exitCode_;
        }
        if (info.si_pid == 0)
            return std::nullopt;
        // For CLD_EXITED the exit status, for CLD_KILLED and CLD_DUMPED the signal's number.
        if ((flags & WNOWAIT) == 0)
            exitCode_ = info.si_status;
        return info.si_status;
    }
}

bool SpawnedProcess::tryReap(bool block) {
    return waitStatus(block ? 0 : WNOHANG).has_value();
}

std::optional<int> SpawnedProcess::exitedStatus() {
    return waitStatus(WNOHANG | WNOWAIT);
}

boost::asio::awaitable<int> SpawnedProcess::exited() {
    // As in exit(): look before every wait, since the watch is edge-triggered.
    std::optional<int> status = exitedStatus();
    while (!status) {
        co_await watch_->descriptor.async_wait(boost::asio::posix::descriptor_base::wait_read,
                                               boost::asio::use_awaitable);
        status = exitedStatus();
    }
    co_return *status;
}

boost::asio::awaitable<int> SpawnedProcess::exit() {
    // Looking before each wait matters: the pidfd is watched edge-triggered, so an exit that came
    // while nobody waited shows only here.
    while (!tryReap(false))
        co_await watch_->descriptor.async_wait(boost::asio::posix::descriptor_base::wait_read,
                                               boost::asio::use_awaitable);
    co_return *exitCode_;
}

bool SpawnedProcess::signalGroup(int signal) {
    if (isReaped())
        return false;
    if (::kill(-pid_, signal) != 0)
        return false;
    if (signal == SIGKILL)
        killed_ = true;
    return true;
}

bool SpawnedProcess::signalLeader(int signal) {
    if (isReaped())
        return false;
    if (sendThroughPidfd(watch_->descriptor.native_handle(), signal) != 0)
        return false;
    if (signal == SIGKILL)
        killed_ = true;
    return true;
}

namespace {

boost::asio::awaitable<void> reapWhenExited(std::shared_ptr<SpawnedProcess> process) {
    co_await process->exit();
}

} // namespace

void SpawnedProcess::reapInBackground() {
    if (isReaped())
        return;
    boost::asio::co_spawn(executor_, reapWhenExited(shared_from_this()),
                          LoggedCompletion(Logger("process"), "reap a child"));
}

} // namespace velto
