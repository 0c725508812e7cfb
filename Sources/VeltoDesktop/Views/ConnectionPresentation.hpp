#pragma once

#include "VeltoDesktop/Views/Tint.hpp"
#include "VeltoDevice/Connection/ConnectionState.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// What the menu shows for one organization's connection: a title, an optional detail line and a
/// tint.
struct ConnectionPresentation {
    std::string title;
    std::optional<std::string> detail;
    Tint tint = Tint::secondary;

    ConnectionPresentation(const ConnectionState& state, bool isPaused);
    ConnectionPresentation(std::string shownTitle, std::optional<std::string> shownDetail, Tint shownTint)
        : title(std::move(shownTitle)), detail(std::move(shownDetail)), tint(shownTint) {}

    /// The row shown when this machine has no organization.
    static ConnectionPresentation notEnrolled();
    /// The reason without its surrounding spaces and tabs (not line breaks) and one final ".", then
    /// ", trying again in N s.".
    static std::string retrying(std::string_view reason, std::int64_t seconds);
    /// A retry delay in whole seconds: 1 for 999 ms or less, else rounded down.
    static std::int64_t retrySeconds(std::int64_t milliseconds);

    friend bool operator==(const ConnectionPresentation&, const ConnectionPresentation&) = default;
};

} // namespace velto
