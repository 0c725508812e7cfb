#pragma once

#include "VeltoDevice/Enrollment/HarnessKind.hpp"

#include <string>

namespace velto {

/// A skill the application installs into one harness tool.
struct InstalledSkill {
    HarnessKind agent = HarnessKind::codex;
    /// The skill folder's name.
    std::string name;

    /// The key of its record entry: the agent's raw value, "/", the name.
    std::string recordKey() const;

    friend bool operator==(const InstalledSkill&, const InstalledSkill&) = default;
    friend auto operator<=>(const InstalledSkill&, const InstalledSkill&) = default;
};

} // namespace velto
