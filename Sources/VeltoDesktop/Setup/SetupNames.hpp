#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include <QString>
#include <optional>
#include <vector>

namespace velto {

/// Names from the server as the setup window shows them: each made safe for display on its own
/// (DisplayText::line) before the organizations are joined into one phrase.
struct SetupNames {
    /// The organizations' names joined by the locale's list formatter; empty for none.
    static QString organizations(const std::vector<Enrollment>& enrollments);
    /// The organizations' names, or "your organization" when there is none.
    static QString organizationsOrYours(const std::vector<Enrollment>& enrollments);
    /// The greeting name: "Welcome" without a user, else the first piece of the name split at spaces,
    /// else the login.
    static QString firstName(const std::optional<Enrollment::User>& user);
};

} // namespace velto
