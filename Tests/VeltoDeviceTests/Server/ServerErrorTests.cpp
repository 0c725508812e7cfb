#include "VeltoDevice/Server/ServerError.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

TEST(ServerError, Texts) {
    const std::vector<std::pair<ServerError, std::string>> cases = {
        {ServerError::invalidAddress("velto.example.com"), "velto.example.com is not a Velto address."},
        {ServerError::insecureAddress("http://velto.example.com"),
         "http://velto.example.com is not https. Velto only talks to its server over https."},
        {ServerError::unreachable("Connection refused"), "Velto could not be reached: Connection refused"},
        {ServerError::unexpectedStatus(502), "Velto answered with HTTP 502."},
        {ServerError::missingNonce(), "Velto did not issue a DPoP nonce."},
        {ServerError::malformedResponse(),
         "Velto sent a response this app does not understand. It may need updating."},
    };
    for (const auto& [error, text] : cases)
        EXPECT_EQ(std::string(error.what()), text);
}

TEST(ServerError, EqualWhenCaseAndPayloadAre) {
    EXPECT_EQ(ServerError::unexpectedStatus(502), ServerError::unexpectedStatus(502));
    EXPECT_FALSE(ServerError::unexpectedStatus(502) == ServerError::unexpectedStatus(503));
    EXPECT_FALSE(ServerError::invalidAddress("a") == ServerError::insecureAddress("a"));
    EXPECT_FALSE(ServerError::unreachable("a") == ServerError::unreachable("b"));
    EXPECT_EQ(ServerError::unexpectedStatus(404).status(), 404);
    EXPECT_EQ(ServerError::unreachable("down").text(), "down");
    EXPECT_EQ(ServerError::missingNonce().kind(), ServerError::Case::missingNonce);
}

} // namespace
} // namespace velto
