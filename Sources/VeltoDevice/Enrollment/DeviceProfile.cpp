#include "VeltoDevice/Enrollment/DeviceProfile.hpp"

#include "VeltoDevice/Enrollment/OptionalText.hpp"
#include "VeltoDevice/Enrollment/URLText.hpp"

namespace velto {

bool operator==(const DeviceProfile::User& a, const DeviceProfile::User& b) {
    return a.login == b.login && a.name == b.name && urltext::same(a.avatarURL, b.avatarURL);
}

std::optional<DeviceProfile> DeviceProfile::decode(const Json& value) {
    if (!value.is_object())
        return std::nullopt;
    auto organizationValue = value.find("organization");
    auto userValue = value.find("user");
    if (organizationValue == value.end() || userValue == value.end())
        return std::nullopt;
    const Json& organization = *organizationValue;
    const Json& user = *userValue;

    auto id = json::string(organization, "id");
    auto name = json::string(organization, "name");
    auto photoVersion = member::optionalText(organization, "photoVersion");
    if (!id || !name || !photoVersion.valid)
        return std::nullopt;

    auto login = json::string(user, "login");
    auto userName = member::optionalText(user, "name");
    auto avatarText = member::optionalText(user, "avatarUrl");
    if (!login || !userName.valid || !avatarText.valid)
        return std::nullopt;
    // An avatar that is empty or no URL reads as absent: it must not stop the names from refreshing.
    std::optional<boost::urls::url> avatarURL;
    if (avatarText.value)
        avatarURL = urltext::parse(*avatarText.value);

    return DeviceProfile{{std::move(*id), std::move(*name), std::move(photoVersion.value)},
                         {std::move(*login), std::move(userName.value), std::move(avatarURL)}};
}

} // namespace velto
