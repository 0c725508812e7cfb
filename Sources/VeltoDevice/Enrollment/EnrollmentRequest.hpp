#pragma once

#include "VeltoDevice/Enrollment/ApprovedCode.hpp"
#include "VeltoDevice/Enrollment/HarnessReport.hpp"
#include "VeltoDevice/Support/Bytes.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <optional>
#include <string>
#include <vector>

namespace velto {

/// The body of the enroll request: {"code", "name", "platform", "appVersion", "harnesses"}, every key
/// always written.
struct EnrollmentRequest {
    /// The platform the server's contract names for this agent.
    static constexpr const char* platformName = "macos";

    /// The code's normalised value: 8 symbols, no hyphen.
    std::string code;
    /// The machine's name as the caller gives it.
    std::string name;
    std::string platform = platformName;
    std::string appVersion;
    /// The harnesses found on this machine; may be empty.
    std::vector<HarnessReport> harnesses;

    /// For the approved code (only its code is used), with `platform` "macos".
    EnrollmentRequest(const ApprovedCode& approved, std::string machineName, std::string version,
                      std::vector<HarnessReport> reports);

    Json toJson() const;
    /// The compact JSON text sent; throws nlohmann's type_error for text that is not UTF-8.
    Bytes encoded() const;
    /// Nothing unless all five keys are there with their types and every report decodes.
    static std::optional<EnrollmentRequest> decode(const Json& value);

    friend bool operator==(const EnrollmentRequest&, const EnrollmentRequest&) = default;

private:
    EnrollmentRequest() = default;
};

} // namespace velto
