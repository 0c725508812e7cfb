#pragma once

#include "VeltoDevice/Scopes/DeviceScopes.hpp"

#include <optional>
#include <string>
#include <vector>

namespace velto {

/// An organization's answers on the kinds of work, as its row's menu offers them.
struct ScopeChoices {
    struct Item {
        DeviceScope scope = DeviceScope::sreQuestions;
        /// The scope's title, with "…" when turning it on asks first.
        std::string title;
        bool isHeld = false;
        /// Off while the answers are unknown.
        bool isEnabled = false;

        friend bool operator==(const Item&, const Item&) = default;
    };

    std::optional<DeviceScopes> scopes;
    /// Why the last answer did not reach the server.
    std::optional<std::string> refusal;

    /// One item per agreed scope, in order (reviews has none).
    std::vector<Item> items() const;
    /// "An admin turned off <title> on this computer." for the first agreed scope that someone else took
    /// back; nothing while the answers are unknown or none was.
    std::optional<std::string> takenAwayNote() const;
};

} // namespace velto
