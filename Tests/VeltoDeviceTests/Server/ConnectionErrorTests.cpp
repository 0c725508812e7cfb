#include "VeltoDevice/Server/ConnectionError.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

TEST(ConnectionError, TextsAndFinality) {
    struct Case {
        ConnectionError error;
        std::string text;
        bool final;
    };
    const std::vector<Case> cases = {
        {ConnectionError::upgradeRefused("use_dpop_nonce"),
         "Velto refused the connection's proof (use_dpop_nonce).", false},
        {ConnectionError::closedByServer(1006), "Velto closed the connection (1006).", false},
        {ConnectionError::dropped("the session ended"), "The connection to Velto dropped: the session ended",
         false},
        {ConnectionError::revoked(),
         "Velto no longer accepts this computer. It may have been revoked in Devices; enroll it again.",
         true},
        {ConnectionError::replaced(), "Another Velto app took over this computer's connection.", true},
        {ConnectionError::renewalMissed(),
         "Velto closed the connection because this computer renewed it too late.", false},
        {ConnectionError::welcomeTimedOut(), "Velto did not answer this computer's hello.", false},
        {ConnectionError::renewalUnanswered(), "Velto stopped answering this computer's renewals.", false},
    };
    for (const auto& item : cases) {
        EXPECT_EQ(std::string(item.error.what()), item.text);
        EXPECT_EQ(item.error.isFinal(), item.final) << item.text;
    }
}

TEST(ConnectionError, ForClose) {
    const std::vector<std::pair<int, ConnectionError>> cases = {
        {4001, ConnectionError::replaced()},           {4003, ConnectionError::revoked()},
        {4408, ConnectionError::renewalMissed()},      {1000, ConnectionError::closedByServer(1000)},
        {1006, ConnectionError::closedByServer(1006)}, {4000, ConnectionError::closedByServer(4000)},
        {4409, ConnectionError::closedByServer(4409)},
    };
    for (const auto& [code, expected] : cases) {
        SCOPED_TRACE(code);
        EXPECT_EQ(ConnectionError::forClose(code), expected);
    }
    EXPECT_EQ(std::string(ConnectionError::forClose(1000).what()), "Velto closed the connection (1000).");
    EXPECT_FALSE(ConnectionError::forClose(4408).isFinal());
}

TEST(ConnectionError, ForRefusedUpgrade) {
    struct Case {
        int status;
        std::optional<std::string> authenticate;
        ConnectionError expected;
    };
    const std::vector<Case> cases = {
        {401, R"(DPoP error="use_dpop_nonce")", ConnectionError::upgradeRefused("use_dpop_nonce")},
        {401, R"(DPoP error="invalid_dpop_proof")", ConnectionError::upgradeRefused("invalid_dpop_proof")},
        // The nonce wins when both words appear, in whatever order.
        {401, R"(DPoP error="invalid_dpop_proof", error_description="use_dpop_nonce")",
         ConnectionError::upgradeRefused("use_dpop_nonce")},
        {401, std::nullopt, ConnectionError::revoked()},
        {401, "", ConnectionError::revoked()},
        {401, R"(DPoP error="USE_DPOP_NONCE")", ConnectionError::revoked()},
        {403, R"(DPoP error="use_dpop_nonce")", ConnectionError::dropped("HTTP 403")},
        {500, std::nullopt, ConnectionError::dropped("HTTP 500")},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(std::to_string(item.status) + " " + item.authenticate.value_or("(none)"));
        EXPECT_EQ(ConnectionError::forRefusedUpgrade(item.status, item.authenticate), item.expected);
    }
    ConnectionError forbidden = ConnectionError::forRefusedUpgrade(403, std::nullopt);
    EXPECT_EQ(std::string(forbidden.what()), "The connection to Velto dropped: HTTP 403");
    EXPECT_FALSE(forbidden.isFinal());
    EXPECT_TRUE(ConnectionError::forRefusedUpgrade(401, std::nullopt).isFinal());
}

TEST(ConnectionError, EqualWhenCaseAndPayloadAre) {
    EXPECT_FALSE(ConnectionError::closedByServer(1000) == ConnectionError::closedByServer(1001));
    EXPECT_FALSE(ConnectionError::dropped("a") == ConnectionError::dropped("b"));
    EXPECT_FALSE(ConnectionError::upgradeRefused("a") == ConnectionError::dropped("a"));
    EXPECT_EQ(ConnectionError::closedByServer(1011).code(), 1011);
    EXPECT_EQ(ConnectionError::upgradeRefused("x").text(), "x");
}

} // namespace
} // namespace velto
