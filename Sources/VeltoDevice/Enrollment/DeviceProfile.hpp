#pragma once

#include "VeltoDevice/Support/Json.hpp"

#include <boost/url/url.hpp>

#include <optional>
#include <string>

namespace velto {

/// The organization and user as the server describes them in a welcome; applied to the saved
/// enrollment of that organization (`Enrollment::updated`).
struct DeviceProfile {
    struct Organization {
        std::string id;
        std::string name;
        /// The version of the organization's picture; absent when it has none.
        std::optional<std::string> photoVersion;

        friend bool operator==(const Organization&, const Organization&) = default;
    };

    struct User {
        std::string login;
        std::optional<std::string> name;
        std::optional<boost::urls::url> avatarURL;

        friend bool operator==(const User& a, const User& b);
    };

    Organization organization;
    User user;

    /// The value of a welcome's "profile". Nothing when "organization" or "user" is not an object, a
    /// required text ("id", "name", "login") is missing or mistyped, or an optional one ("photoVersion",
    /// "name", "avatarUrl") is neither text nor null. An "avatarUrl" whose text is empty or not a URL
    /// reads as no avatar, so that a bad picture address never stops the names from refreshing.
    /// Unknown keys are ignored.
    static std::optional<DeviceProfile> decode(const Json& value);

    friend bool operator==(const DeviceProfile&, const DeviceProfile&) = default;
};

} // namespace velto
