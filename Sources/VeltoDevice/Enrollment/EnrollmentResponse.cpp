#include "VeltoDevice/Enrollment/EnrollmentResponse.hpp"

#include "VeltoDevice/Support/Json.hpp"

namespace velto {

std::optional<EnrollmentResponse> EnrollmentResponse::decode(const Bytes& body) {
    auto value = parseJson(body);
    if (!value || !value->is_object())
        return std::nullopt;
    auto deviceId = json::string(*value, "deviceId");
    auto organizationValue = value->find("organization");
    auto userValue = value->find("user");
    if (!deviceId || deviceId->empty() || organizationValue == value->end() || userValue == value->end())
        return std::nullopt;
    auto organization = Enrollment::Organization::decode(*organizationValue);
    auto user = Enrollment::User::decode(*userValue);
    if (!organization || !user)
        return std::nullopt;
    return EnrollmentResponse{std::move(*deviceId), std::move(*organization), std::move(*user)};
}

} // namespace velto
