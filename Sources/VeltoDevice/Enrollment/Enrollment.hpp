#pragma once

#include "VeltoDevice/Server/VeltoServer.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <boost/url/url.hpp>

#include <optional>
#include <string>

namespace velto {

struct DeviceProfile;

/// One pairing of this machine with one organization: the server, the device id the server gave
/// this machine there (which also names its device key) and the organization and user as the server
/// described them.
///
/// JSON keys are the field names, except "avatarUrl"; absent optionals are left out when writing,
/// and a missing or null optional reads as absent. An avatar address that is empty or not a URL
/// reads as absent too, so that a bad picture address never makes a whole enrollment unreadable.
struct Enrollment {
    struct Organization {
        std::string id;
        std::string name;
        std::optional<boost::urls::url> avatarURL;

        Json toJson() const;
        /// Nothing unless "id" and "name" are text.
        static std::optional<Organization> decode(const Json& value);

        friend bool operator==(const Organization& a, const Organization& b);
    };

    struct User {
        std::string login;
        std::optional<std::string> name;
        std::optional<std::string> email;
        std::optional<boost::urls::url> avatarURL;

        Json toJson() const;
        /// Nothing unless "login" is text and "name" and "email" are text, null or missing.
        static std::optional<User> decode(const Json& value);

        friend bool operator==(const User& a, const User& b);
    };

    VeltoServer server;
    std::string deviceId;
    Organization organization;
    User user;

    /// The same organization on this machine: equal connect URLs and equal organization ids. Device id,
    /// names and user play no part.
    bool isSameOrganization(const Enrollment& other) const;

    /// The record with a profile applied: the organization's name and the user's login, name and avatar
    /// taken from the profile when it is of this organization; the record unchanged otherwise.
    Enrollment updated(const DeviceProfile& profile) const;

    Json toJson() const;
    /// Nothing when a required key is missing or mistyped or the stored server address is no longer
    /// accepted.
    static std::optional<Enrollment> decode(const Json& value);

    friend bool operator==(const Enrollment& a, const Enrollment& b);
};

} // namespace velto
