#include "VeltoDevice/HTTP/ErrorBody.hpp"
#include "VeltoDevice/HTTP/HTTPReply.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

TEST(HTTPReply, HeaderNamesAreLowerCasedAndRepeatedFieldsJoined) {
    HTTPReply reply(200,
                    {{"DPoP-Nonce", "n1"},
                     {"Content-Type", "application/json"},
                     {"X-Twice", "first"},
                     {"x-twice", "second"},
                     {"X-TWICE", "third"}},
                    {});
    EXPECT_EQ(reply.headers, (std::map<std::string, std::string>{{"content-type", "application/json"},
                                                                 {"dpop-nonce", "n1"},
                                                                 {"x-twice", "first, second, third"}}));
    EXPECT_EQ(reply.header("DPoP-Nonce"), "n1");
    EXPECT_EQ(reply.header("DPOP-NONCE"), "n1");
    EXPECT_EQ(reply.header("dpop-nonce"), "n1");
    EXPECT_FALSE(reply.header("WWW-Authenticate"));
}

TEST(HTTPReply, SuccessIsTwoHundreds) {
    for (int status : {199, 200, 204, 299, 300, 401})
        EXPECT_EQ(HTTPReply(status, {}, {}).isSuccess(), status >= 200 && status <= 299) << status;
}

TEST(HTTPReply, NonceChallenge) {
    struct Case {
        int status;
        std::string body;
        Fields headers;
        bool challenge;
    };
    const std::string dpopNonce =
        R"(DPoP error="use_dpop_nonce", error_description="Resource server requires nonce")";
    const std::vector<Case> cases = {
        {401, R"({"code":"DEVICES_USE_DPOP_NONCE"})", {}, true},
        {401, R"({"code":"use_dpop_nonce"})", {}, true},
        {401, R"({"error":"use_dpop_nonce"})", {}, true},
        {401, R"({"error":"DEVICES_USE_DPOP_NONCE","detail":"x"})", {}, true},
        // The code wins over the error: this body is not a challenge, only the header can make it one.
        {401, R"({"code":"DEVICES_REVOKED","error":"use_dpop_nonce"})", {}, false},
        {401,
         R"({"code":"DEVICES_REVOKED","error":"use_dpop_nonce"})",
         {{"WWW-Authenticate", dpopNonce}},
         true},
        // Exact and case-sensitive.
        {401, R"({"code":"devices_use_dpop_nonce"})", {}, false},
        {401, R"({"code":"DEVICES_USE_DPOP_NONCE "})", {}, false},
        {401, "", {{"www-authenticate", R"(DPoP error="USE_DPOP_NONCE")"}}, false},
        // A body that is not an error object leaves only the header.
        {401, "<html>401</html>", {{"WWW-Authenticate", dpopNonce}}, true},
        {401, R"(["use_dpop_nonce"])", {}, false},
        {401, "", {}, false},
        {401,
         R"({"code":"DEVICES_UNKNOWN"})",
         {{"WWW-Authenticate", R"(DPoP error="invalid_dpop_proof")"}},
         false},
        // A challenge in the second of two fields (RFC 9110 joins them).
        {401,
         R"({"code":"DEVICES_REVOKED"})",
         {{"WWW-Authenticate", R"(Bearer realm="velto")"}, {"WWW-Authenticate", dpopNonce}},
         true},
        // Members that are not text: the body is not an error body, so only the header counts.
        {401, R"({"code":5,"error":"use_dpop_nonce"})", {}, false},
        {401, R"({"code":["DEVICES_USE_DPOP_NONCE"]})", {}, false},
        {401, R"({"code":null,"error":"use_dpop_nonce"})", {}, true},
        {401, R"({"code":5,"error":"use_dpop_nonce"})", {{"WWW-Authenticate", dpopNonce}}, true},
        // Only a 401 challenges.
        {403, R"({"code":"DEVICES_USE_DPOP_NONCE"})", {{"WWW-Authenticate", dpopNonce}}, false},
        {400, R"({"error":"use_dpop_nonce"})", {}, false},
        {200, R"({"code":"DEVICES_USE_DPOP_NONCE"})", {}, false},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(std::to_string(item.status) + " " + item.body);
        EXPECT_EQ(HTTPReply(item.status, item.headers, toBytes(item.body)).isNonceChallenge(),
                  item.challenge);
    }
}

TEST(ErrorBody, MeaningIsCodeElseError) {
    EXPECT_EQ(ErrorBody::decode(toBytes(R"({"code":"A","error":"b"})"))->meaning(), "A");
    EXPECT_EQ(ErrorBody::decode(toBytes(R"({"error":"b","other":1})"))->meaning(), "b");
    EXPECT_EQ(ErrorBody::decode(toBytes(R"({})"))->meaning(), std::nullopt);
    EXPECT_FALSE(ErrorBody::decode(toBytes("not json")));
    EXPECT_FALSE(ErrorBody::decode(toBytes(R"("use_dpop_nonce")")));
    // Null is absent; any other type makes the body something else.
    EXPECT_EQ(ErrorBody::decode(toBytes(R"({"code":null,"error":"b"})"))->meaning(), "b");
    for (const char* body :
         {R"({"code":42,"error":"b"})", R"({"code":"A","error":false})", R"({"error":{"code":"b"}})"})
        EXPECT_FALSE(ErrorBody::decode(toBytes(body))) << body;
}

} // namespace
} // namespace velto
