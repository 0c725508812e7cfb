#pragma once

#include "VeltoDevice/Support/Environment.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velto {

/// What a child is started with. The executable is an absolute path, run as it is: no shell, no
/// PATH search. The child gets exactly this environment and these arguments (its program name is
/// the executable's path), leads a session and process group of its own, has every signal at its
/// default and none blocked, and holds no descriptor but 0, 1 and 2.
struct ProcessLaunch {
    /// Where one of the child's standard streams goes.
    enum class Stream {
        /// The null device: end of file at once for input, discarded for output.
        nullDevice,
        /// A new pipe; the parent keeps the other end.
        pipe
    };

    std::filesystem::path executable;
    /// The arguments after the program name.
    std::vector<std::string> arguments;
    Environment environment;
    /// The child's working folder; the parent's own when absent.
    std::optional<std::filesystem::path> workingDirectory;
    Stream input = Stream::nullDevice;
    Stream output = Stream::pipe;
    Stream errors = Stream::pipe;
};

} // namespace velto
