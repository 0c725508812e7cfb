#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"

namespace velto {

EnrollmentRequest::EnrollmentRequest(const ApprovedCode& approved, std::string machineName,
                                     std::string version, std::vector<HarnessReport> reports)
    : code(approved.code.value()), name(std::move(machineName)), appVersion(std::move(version)),
      harnesses(std::move(reports)) {}

Json EnrollmentRequest::toJson() const {
    Json reports = Json::array();
    for (const HarnessReport& report : harnesses)
        reports.push_back(report.toJson());
    return {{"code", code},
            {"name", name},
            {"platform", platform},
            {"appVersion", appVersion},
            {"harnesses", std::move(reports)}};
}

Bytes EnrollmentRequest::encoded() const {
    return toBytes(encodeCompact(toJson()));
}

std::optional<EnrollmentRequest> EnrollmentRequest::decode(const Json& value) {
    auto code = json::string(value, "code");
    auto name = json::string(value, "name");
    auto platform = json::string(value, "platform");
    auto appVersion = json::string(value, "appVersion");
    if (!code || !name || !platform || !appVersion)
        return std::nullopt;
    auto reports = value.find("harnesses");
    if (reports == value.end() || !reports->is_array())
        return std::nullopt;

    EnrollmentRequest request;
    request.code = std::move(*code);
    request.name = std::move(*name);
    request.platform = std::move(*platform);
    request.appVersion = std::move(*appVersion);
    for (const Json& element : *reports) {
        auto report = HarnessReport::decode(element);
        if (!report)
            return std::nullopt;
        request.harnesses.push_back(std::move(*report));
    }
    return request;
}

} // namespace velto
