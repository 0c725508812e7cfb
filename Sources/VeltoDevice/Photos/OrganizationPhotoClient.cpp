#include "VeltoDevice/Photos/OrganizationPhotoClient.hpp"

#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Server/ServerError.hpp"

#include <algorithm>

namespace velto {

namespace {

// A free coroutine over copies: a member coroutine would keep only `this`.
boost::asio::awaitable<std::optional<OrganizationPhoto>> getPhoto(DPoPHTTPClient http, boost::urls::url url) {
    HTTPReply reply = co_await http.get(url);
    switch (reply.status) {
    case 200:
        co_return OrganizationPhotoClient::photo(reply);
    case 404:
        co_return std::nullopt;
    case 401:
        throw ConnectionError::revoked();
    default:
        throw ServerError::unexpectedStatus(reply.status);
    }
}

std::string_view trimmed(std::string_view text, std::string_view characters) {
    auto first = text.find_first_not_of(characters);
    if (first == std::string_view::npos)
        return {};
    auto last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

} // namespace

boost::asio::awaitable<std::optional<OrganizationPhoto>> OrganizationPhotoClient::fetch() const {
    return getPhoto(http, server.organizationPhotoURL());
}

std::string OrganizationPhotoClient::mediaType(std::string_view contentType) {
    std::string_view piece;
    while (!contentType.empty()) {
        auto end = contentType.find(';');
        piece = contentType.substr(0, end);
        if (!piece.empty())
            break;
        contentType = end == std::string_view::npos ? std::string_view() : contentType.substr(end + 1);
    }
    std::string type(trimmed(piece, " \t"));
    std::transform(type.begin(), type.end(), type.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return type;
}

std::optional<std::string> OrganizationPhotoClient::version(std::string_view etag) {
    if (etag.starts_with("W/"))
        etag.remove_prefix(2);
    auto bare = trimmed(etag, "\"");
    if (bare.empty())
        return std::nullopt;
    return std::string(bare);
}

OrganizationPhoto OrganizationPhotoClient::photo(const HTTPReply& reply) {
    std::string type = mediaType(reply.header("content-type").value_or(""));
    bool accepted = std::find(imageTypes.begin(), imageTypes.end(), type) != imageTypes.end();
    if (!accepted || reply.body.empty() || reply.body.size() > maximumPhotoSize)
        throw ServerError::malformedResponse();
    std::optional<std::string> etag = reply.header("etag");
    return {reply.body, std::move(type), etag ? version(*etag) : std::nullopt};
}

} // namespace velto
