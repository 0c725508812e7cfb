#include "VeltoDevice/HTTP/NonceCache.hpp"
#include "VeltoDevice/Photos/OrganizationPhotoClient.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Server/ServerError.hpp"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "FixedSigningKey.hpp"
#include "ScriptedTransport.hpp"

namespace velto {
namespace {

using testing::AsyncTestLoop;
using testing::ScriptedTransport;

class OrganizationPhotoClientTest : public ::testing::Test {
protected:
    OrganizationPhotoClient client() {
        nonces->store("nonce-1");
        DPoPProofSigner signer(std::make_shared<testing::FixedSigningKey>());
        return {server, DPoPHTTPClient(server, signer, transport, nonces)};
    }

    /// The fetch's error, as one of the two error types; fails the test when there is none.
    std::variant<ServerError, ConnectionError> failure() {
        try {
            loop.run(client().fetch());
        } catch (const ServerError& error) {
            return error;
        } catch (const ConnectionError& error) {
            return error;
        }
        ADD_FAILURE() << "no error";
        return ServerError::missingNonce();
    }

    VeltoServer server = VeltoServer::fromAddress("https://velto.example.com");
    std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
    std::shared_ptr<NonceCache> nonces = std::make_shared<NonceCache>();
    AsyncTestLoop loop;
};

TEST_F(OrganizationPhotoClientTest, FetchesThePictureWithASignedGet) {
    transport->answer(200, {{"Content-Type", "Image/PNG; charset=binary"}, {"ETag", "W/\"v7\""}}, "\x89PNG");
    auto photo = loop.run(client().fetch());

    EXPECT_EQ(photo, (OrganizationPhoto{toBytes("\x89PNG"), "image/png", "v7"}));
    ASSERT_EQ(transport->requests().size(), 1u);
    const HTTPRequest& request = transport->requests()[0];
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.url.buffer(), "https://velto.example.com/api/devices/organization-photo");
    EXPECT_TRUE(request.header("DPoP"));
    EXPECT_TRUE(request.body.empty());
}

TEST_F(OrganizationPhotoClientTest, NotFoundIsNoPicture) {
    transport->answer(404, {{"Content-Type", "application/json"}}, R"({"code":"NO_PHOTO"})");
    EXPECT_EQ(loop.run(client().fetch()), std::nullopt);
}

TEST_F(OrganizationPhotoClientTest, FailingReplies) {
    const std::string tooLarge(OrganizationPhotoClient::maximumPhotoSize + 1, 'x');
    struct Row {
        const char* name;
        int status;
        ScriptedTransport::Headers headers;
        std::string body;
        std::variant<ServerError, ConnectionError> expected;
    };
    const std::vector<Row> rows = {
        {"revoked", 401, {}, "", ConnectionError::revoked()},
        {"no content", 204, {}, "", ServerError::unexpectedStatus(204)},
        {"forbidden", 403, {}, "", ServerError::unexpectedStatus(403)},
        {"server error", 500, {{"Content-Type", "image/png"}}, "x", ServerError::unexpectedStatus(500)},
        {"other image type",
         200,
         {{"Content-Type", "image/gif"}},
         "GIF89a",
         ServerError::malformedResponse()},
        {"not an image", 200, {{"Content-Type", "text/html"}}, "<html>", ServerError::malformedResponse()},
        {"no type", 200, {}, "\x89PNG", ServerError::malformedResponse()},
        {"empty body", 200, {{"Content-Type", "image/png"}}, "", ServerError::malformedResponse()},
        {"over the size bound",
         200,
         {{"Content-Type", "image/webp"}},
         tooLarge,
         ServerError::malformedResponse()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        transport->answer(row.status, row.headers, row.body);
        auto error = failure();
        EXPECT_EQ(error.index(), row.expected.index());
        EXPECT_EQ(error, row.expected);
    }
}

TEST_F(OrganizationPhotoClientTest, PictureOfExactlyTheBoundIsAccepted) {
    const std::string largest(OrganizationPhotoClient::maximumPhotoSize, 'x');
    transport->answer(200, {{"Content-Type", "image/jpeg"}}, largest);
    auto photo = loop.run(client().fetch());
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->data.size(), largest.size());
    EXPECT_EQ(photo->version, std::nullopt);
}

TEST_F(OrganizationPhotoClientTest, TransportErrorsPassThrough) {
    transport->fail(ServerError::unreachable("offline"));
    EXPECT_EQ(failure(), (std::variant<ServerError, ConnectionError>(ServerError::unreachable("offline"))));
}

TEST(OrganizationPhotoClient, MediaTypes) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"image/png", "image/png"},
        {"IMAGE/JPEG; q=0.9; charset=x", "image/jpeg"},
        {" \timage/WebP\t ;x", "image/webp"},
        {";image/webp", "image/webp"},
        {";;image/png", "image/png"},
        {" ;image/png", ""},
        {";;", ""},
        {"", ""},
        {"image/png\r", "image/png\r"},
    };
    for (const auto& [header, type] : rows)
        EXPECT_EQ(OrganizationPhotoClient::mediaType(header), type) << header;
}

TEST(OrganizationPhotoClient, VersionsFromETags) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> rows = {
        {"\"abc\"", "abc"},     {"W/\"abc\"", "abc"},     {"abc", "abc"},
        {"\"\"", std::nullopt}, {"W/\"\"", std::nullopt}, {"W/", std::nullopt},
        {"", std::nullopt},     {"\"\"a\"b\"\"", "a\"b"}, {"w/\"abc\"", "w/\"abc"},
    };
    for (const auto& [etag, version] : rows)
        EXPECT_EQ(OrganizationPhotoClient::version(etag), version) << etag;
}

TEST_F(OrganizationPhotoClientTest, EmptyETagGivesNoVersion) {
    transport->answer(200, {{"Content-Type", "image/png"}, {"ETag", "\"\""}}, "png");
    auto photo = loop.run(client().fetch());
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->version, std::nullopt);
}

} // namespace
} // namespace velto
