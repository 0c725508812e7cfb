#pragma once

#include "VeltoDevice/Agents/InstalledSkill.hpp"
#include "VeltoDevice/Enrollment/HarnessKind.hpp"

#include <optional>
#include <string>
#include <vector>

namespace velto {

/// The record of the skills the application installed, each with the digest of the folder as it
/// installed it.
class InstalledSkillRecords {
public:
    virtual ~InstalledSkillRecords() = default;

    /// The recorded digest; nothing when the skill is not recorded (or the record cannot be read).
    virtual std::optional<std::string> digest(const InstalledSkill& skill) const = 0;
    /// Stores the digest, or deletes the entry for nothing. Throws the store's error.
    virtual void record(const std::optional<std::string>& digest, const InstalledSkill& skill) = 0;
    /// The names of the agent's recorded skills, in ascending order.
    virtual std::vector<std::string> names(HarnessKind agent) const = 0;
};

} // namespace velto
