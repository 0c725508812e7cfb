#pragma once

#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <boost/url/url_view.hpp>

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace velto {

/// A server and the codes to spend on it, one per organization to join, in link order and without
/// repeats. Read from links of the form velto://enroll?server=ADDRESS&code=CODE1&code=CODE2.
class EnrollmentLink {
public:
    static constexpr std::size_t maximumCodes = 10;

    /// Parses a link. Throws EnrollmentError::invalidLink for another scheme or host, a missing or empty
    /// "server" item or a count of codes outside 1...10; the ServerError of the address unchanged (the
    /// server is checked before the codes); EnrollmentError::invalidCode for the first code that does
    /// not read.
    static EnrollmentLink fromURL(boost::urls::url_view url);
    /// Drops repeated codes (the first occurrence stays), then throws EnrollmentError::invalidLink
    /// unless 1...10 codes remain.
    static EnrollmentLink fromCodes(VeltoServer server, const std::vector<EnrollmentCode>& codes);
    /// A link of exactly one code.
    EnrollmentLink(VeltoServer server, EnrollmentCode code);
    /// Pasted text trimmed of white space and read as a link; nothing when it is not one.
    static std::optional<EnrollmentLink> parse(std::string_view pasted);

    const VeltoServer& server() const { return server_; }
    const std::vector<EnrollmentCode>& codes() const { return codes_; }

    friend bool operator==(const EnrollmentLink&, const EnrollmentLink&) = default;

private:
    EnrollmentLink(VeltoServer server, std::vector<EnrollmentCode> codes)
        : server_(std::move(server)), codes_(std::move(codes)) {}

    VeltoServer server_;
    std::vector<EnrollmentCode> codes_;
};

} // namespace velto
