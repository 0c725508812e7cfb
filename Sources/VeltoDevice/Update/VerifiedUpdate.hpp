#pragma once

#include "VeltoDevice/Update/AppVersion.hpp"

#include <boost/url/url.hpp>

#include <string>

namespace velto {

/// An offer that passed screening: a newer version, an https address and a signed digest.
struct VerifiedUpdate {
    /// Parsed from the offer; its text is the offer's text unchanged.
    AppVersion version;
    /// https (any letter case) with a host.
    boost::urls::url url;
    /// 64 lower-case hexadecimal characters, as offered.
    std::string sha256;

    friend bool operator==(const VerifiedUpdate& a, const VerifiedUpdate& b) {
        return a.version == b.version && a.version.text() == b.version.text() && a.url == b.url &&
               a.sha256 == b.sha256;
    }
};

} // namespace velto
