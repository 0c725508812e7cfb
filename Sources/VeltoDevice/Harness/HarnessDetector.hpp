#pragma once

#include "VeltoDevice/Harness/HarnessStatus.hpp"
#include "VeltoDevice/Harness/LoginPathResolving.hpp"
#include "VeltoDevice/Harness/ProcessRunning.hpp"

#include <boost/asio/awaitable.hpp>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace velto {

/// Finds out, for each harness kind, whether its tool is on the login-shell PATH, which version it
/// is and whether the user is signed in. Keeps no state.
class HarnessDetector {
public:
    /// Each probe command's time-out: one kind takes at most twice this.
    static constexpr std::chrono::seconds probeTimeout{45};

    /// `environment` is the application's process environment; the PATH comes from `paths`.
    HarnessDetector(std::shared_ptr<ProcessRunning> runner, Environment environment,
                    std::shared_ptr<LoginPathResolving> paths);
    /// The PATH from the login shell (`LoginShellPath` on the same runner).
    HarnessDetector(std::shared_ptr<ProcessRunning> runner, Environment environment);

    /// One status per kind, in the order of `allHarnessKinds` whatever order the probes end in. The
    /// PATH is resolved once; the three kinds are probed at the same time, each running its version
    /// command and then its sign-in command. Never fails: a missing tool is not installed, a command
    /// that cannot start or hangs gives no version or an unknown sign-in.
    boost::asio::awaitable<std::vector<HarnessStatus>> detect() const;

private:
    static boost::asio::awaitable<HarnessStatus> probe(std::shared_ptr<ProcessRunning> runner,
                                                       HarnessKind kind, std::string path,
                                                       Environment environment);

    std::shared_ptr<ProcessRunning> runner_;
    Environment environment_;
    std::shared_ptr<LoginPathResolving> paths_;
};

} // namespace velto
