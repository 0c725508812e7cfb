#pragma once

#include "VeltoDevice/Connection/ConnectionState.hpp"

#include <vector>

namespace velto {

/// The one summary of every organization's connection that picks the status icon.
enum class OverallConnection { notEnrolled, connected, connecting, offline, needsAttention };

/// In this order: no states, `notEnrolled`; any `stopped`, `needsAttention`; all `connected`,
/// `connected`; any `retrying` or `connecting`, `connecting`; otherwise (some `offline`, the rest
/// `connected`), `offline`.
OverallConnection overallConnection(const std::vector<ConnectionState>& states);

} // namespace velto
