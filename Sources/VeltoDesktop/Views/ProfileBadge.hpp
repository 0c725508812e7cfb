#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include <QString>
#include <string>

namespace velto {

/// The signed-in user as the header shows them: the name (the login when the name is blank), the
/// e-mail or "@" and the login, the avatar's initial and its picture address.
struct ProfileBadge {
    QString name;
    QString secondLine;
    QString initial;
    /// Empty when the user has no picture.
    std::string avatarAddress;

    explicit ProfileBadge(const Enrollment::User& user);
};

} // namespace velto
