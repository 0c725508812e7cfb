#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include "VeltoDevice/Enrollment/DeviceProfile.hpp"
#include "VeltoDevice/Enrollment/OptionalText.hpp"
#include "VeltoDevice/Enrollment/URLText.hpp"
#include "VeltoDevice/Server/ServerError.hpp"

namespace velto {

namespace {

constexpr const char* kAvatarKey = "avatarUrl";

/// A picture address is decoration: whatever is there but a URL reads as none.
std::optional<boost::urls::url> avatar(const Json& object) {
    auto text = json::string(object, kAvatarKey);
    return text ? urltext::parse(*text) : std::nullopt;
}

void writeAvatar(Json& object, const std::optional<boost::urls::url>& url) {
    if (url)
        object[kAvatarKey] = std::string(url->buffer());
}

} // namespace

Json Enrollment::Organization::toJson() const {
    Json object = {{"id", id}, {"name", name}};
    writeAvatar(object, avatarURL);
    return object;
}

std::optional<Enrollment::Organization> Enrollment::Organization::decode(const Json& value) {
    auto id = json::string(value, "id");
    auto name = json::string(value, "name");
    if (!id || !name)
        return std::nullopt;
    return Organization{std::move(*id), std::move(*name), avatar(value)};
}

bool operator==(const Enrollment::Organization& a, const Enrollment::Organization& b) {
    return a.id == b.id && a.name == b.name && urltext::same(a.avatarURL, b.avatarURL);
}

Json Enrollment::User::toJson() const {
    Json object = {{"login", login}};
    if (name)
        object["name"] = *name;
    if (email)
        object["email"] = *email;
    writeAvatar(object, avatarURL);
    return object;
}

std::optional<Enrollment::User> Enrollment::User::decode(const Json& value) {
    auto login = json::string(value, "login");
    auto name = member::optionalText(value, "name");
    auto email = member::optionalText(value, "email");
    if (!login || !name.valid || !email.valid)
        return std::nullopt;
    return User{std::move(*login), std::move(name.value), std::move(email.value), avatar(value)};
}

bool operator==(const Enrollment::User& a, const Enrollment::User& b) {
    return a.login == b.login && a.name == b.name && a.email == b.email &&
           urltext::same(a.avatarURL, b.avatarURL);
}

bool Enrollment::isSameOrganization(const Enrollment& other) const {
    return server.connectURL().buffer() == other.server.connectURL().buffer() &&
           organization.id == other.organization.id;
}

Enrollment Enrollment::updated(const DeviceProfile& profile) const {
    if (profile.organization.id != organization.id)
        return *this;
    Enrollment result = *this;
    result.organization.name = profile.organization.name;
    result.user.login = profile.user.login;
    result.user.name = profile.user.name;
    result.user.avatarURL = profile.user.avatarURL;
    return result;
}

Json Enrollment::toJson() const {
    return {{"server", server.toJson()},
            {"deviceId", deviceId},
            {"organization", organization.toJson()},
            {"user", user.toJson()}};
}

std::optional<Enrollment> Enrollment::decode(const Json& value) {
    if (!value.is_object())
        return std::nullopt;
    auto deviceId = json::string(value, "deviceId");
    auto serverValue = value.find("server");
    auto organizationValue = value.find("organization");
    auto userValue = value.find("user");
    if (!deviceId || serverValue == value.end() || !serverValue->is_object() ||
        organizationValue == value.end() || userValue == value.end()) {
        return std::nullopt;
    }
    auto organization = Organization::decode(*organizationValue);
    auto user = User::decode(*userValue);
    if (!organization || !user)
        return std::nullopt;
    try {
        return Enrollment{VeltoServer::fromJson(*serverValue), std::move(*deviceId), std::move(*organization),
                          std::move(*user)};
    } catch (const ServerError&) {
        return std::nullopt;
    }
}

bool operator==(const Enrollment& a, const Enrollment& b) {
    return a.server == b.server && a.deviceId == b.deviceId && a.organization == b.organization &&
           a.user == b.user;
}

} // namespace velto
