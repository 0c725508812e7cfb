#pragma once

#include "VeltoDevice/HTTP/DPoPHTTPClient.hpp"
#include "VeltoDevice/HTTP/HTTPReply.hpp"
#include "VeltoDevice/Photos/OrganizationPhoto.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <boost/asio/awaitable.hpp>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// Downloads the picture of the organization whose device key signs the request. Keeps no state; the
/// operation copies what it needs, so the client may go away before it is awaited.
struct OrganizationPhotoClient {
    VeltoServer server;
    DPoPHTTPClient http;

    /// The accepted media types.
    static constexpr std::array<std::string_view, 3> imageTypes{"image/png", "image/jpeg", "image/webp"};
    /// The largest picture accepted; a larger body is refused rather than kept.
    static constexpr std::size_t maximumPhotoSize = 10 * 1024 * 1024;

    /// 200: the picture; 404: nothing; 401: ConnectionError::revoked; any other status:
    /// ServerError::unexpectedStatus. Transport and signing errors pass through.
    boost::asio::awaitable<std::optional<OrganizationPhoto>> fetch() const;

    /// The picture of a 200 reply; ServerError::malformedResponse for a type outside `imageTypes`, an
    /// empty body or one over `maximumPhotoSize`.
    static OrganizationPhoto photo(const HTTPReply& reply);
    /// "Content-Type" as compared with `imageTypes`: the first non-empty piece before ";", trimmed of
    /// spaces and tabs, lower-cased; empty when there is none.
    static std::string mediaType(std::string_view contentType);
    /// An ETag without "W/" and the double quotes around it; nothing when that leaves no text.
    static std::optional<std::string> version(std::string_view etag);
};

} // namespace velto
