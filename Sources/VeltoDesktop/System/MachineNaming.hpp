#pragma once

#include <optional>
#include <string>

namespace velto {

/// The names this machine goes by, as the enroll request sends them. Calls may block briefly (a
/// system service is asked), so callers run them off the main thread.
class MachineNaming {
public:
    virtual ~MachineNaming() = default;

    /// The name people gave the machine ("Anna's laptop"); nothing when none is set or it cannot be read.
    virtual std::optional<std::string> prettyName() = 0;
    /// The machine's host name; nothing when it has none.
    virtual std::optional<std::string> hostName() = 0;

    /// The pretty name, else the host name, else "Linux computer".
    std::string machineName();
};

} // namespace velto
