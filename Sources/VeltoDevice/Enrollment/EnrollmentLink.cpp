#include "VeltoDevice/Enrollment/EnrollmentLink.hpp"

#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/UnicodeText.hpp"

#include <boost/url/encoding_opts.hpp>
#include <boost/url/parse.hpp>

#include <algorithm>
#include <string>

namespace velto {

namespace {

bool equalsIgnoringASCIICase(std::string_view text, std::string_view lowerCase) {
    return std::equal(text.begin(), text.end(), lowerCase.begin(), lowerCase.end(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

} // namespace

EnrollmentLink::EnrollmentLink(VeltoServer server, EnrollmentCode code)
    : server_(std::move(server)), codes_{std::move(code)} {}

EnrollmentLink EnrollmentLink::fromCodes(VeltoServer server, const std::vector<EnrollmentCode>& codes) {
    std::vector<EnrollmentCode> distinct;
    for (const auto& code : codes) {
        if (std::find(distinct.begin(), distinct.end(), code) != distinct.end())
            continue;
        // The eleventh distinct code decides: no need to look through the rest of a long link.
        if (distinct.size() == maximumCodes)
            throw EnrollmentError::invalidLink();
        distinct.push_back(code);
    }
    if (distinct.empty())
        throw EnrollmentError::invalidLink();
    return EnrollmentLink(std::move(server), std::move(distinct));
}

EnrollmentLink EnrollmentLink::fromURL(boost::urls::url_view url) {
    if (!url.has_scheme() || !equalsIgnoringASCIICase(url.scheme(), "velto"))
        throw EnrollmentError::invalidLink();
    if (!url.has_authority() || !equalsIgnoringASCIICase(url.host(), "enroll"))
        throw EnrollmentError::invalidLink();

    // An empty query holds no "server" item. It is not walked either: Boost.URL 1.81 reads past the end
    // of "velto://enroll?#" when it steps through the items of an empty query before a fragment.
    if (!url.has_query() || url.encoded_query().empty())
        throw EnrollmentError::invalidLink();

    // Names and values percent-decoded, "+" kept as it is.
    std::optional<std::string> address;
    std::vector<std::string> codeTexts;
    for (auto item : url.params(boost::urls::encoding_opts(false, false, false))) {
        if (item.key == "server") {
            if (!address)
                address = item.has_value ? item.value : std::string();
        } else if (item.key == "code" && item.has_value) {
            codeTexts.push_back(item.value);
        }
    }
    // A missing, valueless or blank "server" item names no server: not an address to complain about.
    if (!address || unicode::trimmingWhitespace(*address).empty())
        throw EnrollmentError::invalidLink();

    VeltoServer server = VeltoServer::fromAddress(*address);
    std::vector<EnrollmentCode> codes;
    codes.reserve(codeTexts.size());
    for (const auto& text : codeTexts)
        codes.push_back(EnrollmentCode::fromTyped(text));
    return fromCodes(std::move(server), codes);
}

std::optional<EnrollmentLink> EnrollmentLink::parse(std::string_view pasted) {
    auto url = boost::urls::parse_uri_reference(unicode::trimmingWhitespace(pasted));
    if (!url)
        return std::nullopt;
    try {
        return fromURL(*url);
    } catch (const EnrollmentError&) {
        return std::nullopt;
    } catch (const ServerError&) {
        return std::nullopt;
    }
}

} // namespace velto
