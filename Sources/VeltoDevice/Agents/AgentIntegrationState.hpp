#pragma once

namespace velto {

/// Where one add-on stands against the copy the application ships.
enum class AgentIntegrationState {
    /// Not there.
    absent,
    /// There, and equal to the shipped copy.
    current,
    /// There as the application put it, but not the shipped copy (or nothing is shipped to compare).
    outdated,
    /// There, but changed or switched off by the user, or not fully readable: left alone.
    kept,
};

} // namespace velto
