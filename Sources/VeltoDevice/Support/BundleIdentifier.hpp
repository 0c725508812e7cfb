#pragma once

namespace velto {

/// The application's bundle identifier: keychain service, log subsystem, staging folder.
inline constexpr const char* kBundleIdentifier = "app.velto.desktop";

/// The identifier of the earlier one-key layout.
inline constexpr const char* kEarlierBundleIdentifier = "app.velto.agent";

} // namespace velto
