#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentLink.hpp"
#include "VeltoDevice/Server/ServerError.hpp"

#include <boost/url/parse.hpp>

#include <algorithm>
#include <optional>

#include "Targets/PropertyViolation.hpp"
#include "Targets/Targets.hpp"

namespace velto::fuzz {

namespace {

void checkLink(const EnrollmentLink& link) {
    const auto& codes = link.codes();
    require(!codes.empty() && codes.size() <= EnrollmentLink::maximumCodes, "a link holds 1 to 10 codes");
    for (auto code = codes.begin(); code != codes.end(); ++code) {
        require(std::find(codes.begin(), code, *code) == code, "a link holds no code twice");
        require(EnrollmentCode::fromTyped(code->value()) == *code, "a normalised code normalises to itself");
    }
    auto base = boost::urls::parse_uri_reference(link.server().baseURL().buffer());
    require(base && VeltoServer::fromBaseURL(*base) == link.server(), "a link's server reads back as itself");
}

} // namespace

void runEnrollmentLink(std::string_view input) {
    // Pasted text: never an error, only a link or nothing.
    if (auto pasted = EnrollmentLink::parse(input))
        checkLink(*pasted);

    auto url = boost::urls::parse_uri_reference(input);
    if (!url)
        return;
    std::optional<EnrollmentLink> link;
    try {
        link = EnrollmentLink::fromURL(*url);
    } catch (const EnrollmentError& error) {
        require(error.kind() == EnrollmentError::Case::invalidLink ||
                    error.kind() == EnrollmentError::Case::invalidCode,
                "a link fails only as a link or a code");
        return;
    } catch (const ServerError& error) {
        require(error.kind() == ServerError::Case::invalidAddress ||
                    error.kind() == ServerError::Case::insecureAddress,
                "a link's server fails only as an address");
        return;
    }
    checkLink(*link);
}

} // namespace velto::fuzz
