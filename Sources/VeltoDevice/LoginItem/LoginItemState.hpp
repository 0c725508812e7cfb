#pragma once

namespace velto {

/// Whether the application opens at login.
enum class LoginItemState {
    off,
    on,
    /// Registered, but waiting for the user's approval in the system settings.
    needsApproval,
    /// This copy of the application cannot open at login.
    unavailable,
};

} // namespace velto
