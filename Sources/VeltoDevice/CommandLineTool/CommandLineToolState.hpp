#pragma once

namespace velto {

/// Where the velto command's link stands.
enum class CommandLineToolState {
    notInstalled,
    installed,
    /// Something else is at the link's path.
    taken,
    /// This copy has no command it may link.
    unavailable,
};

} // namespace velto
