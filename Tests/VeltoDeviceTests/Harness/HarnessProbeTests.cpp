#include "VeltoDevice/Harness/HarnessProbe.hpp"
#include "VeltoDevice/Harness/HarnessVersion.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

TEST(HarnessProbe, ReadsEachKindsSignInAnswer) {
    struct Case {
        HarnessKind kind;
        ProcessOutput output;
        LoginState expected;
    };
    using enum LoginState;
    const std::vector<Case> cases = {
        {HarnessKind::claudeCode, {0, R"({"loggedIn": true, "account": "a@b.c"})", ""}, signedIn},
        {HarnessKind::claudeCode, {1, R"({"loggedIn": false})", ""}, signedOut},
        {HarnessKind::claudeCode, {0, "", ""}, unknown},
        {HarnessKind::claudeCode, {0, R"({"loggedIn": "yes"})", ""}, unknown},
        {HarnessKind::claudeCode, {0, R"([true])", ""}, unknown},
        {HarnessKind::claudeCode, {0, "Logged in", R"({"loggedIn": true})"}, unknown},
        {HarnessKind::codex, {0, "Not logged in\n", ""}, signedOut},
        {HarnessKind::codex, {1, "", "Error: Not logged in"}, signedOut},
        {HarnessKind::codex, {0, "Logged in using ChatGPT as someone@example.com\n", ""}, signedIn},
        {HarnessKind::codex, {1, "Logged in using ChatGPT as someone@example.com\n", ""}, unknown},
        {HarnessKind::codex, {0, "logged in\n", ""}, unknown},
        {HarnessKind::muse, {0, "anything at all", ""}, signedIn},
        {HarnessKind::muse, {0, "", ""}, signedIn},
        {HarnessKind::muse, {1, "", "error: usage refresh failed: 503"}, signedIn},
        {HarnessKind::muse, {1, "", "error: not logged in"}, signedOut},
        {HarnessKind::muse, {1, "", "Not logged in"}, unknown},
        {HarnessKind::muse, {2, "", ""}, unknown},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HarnessProbe::parseLoginState(c.output, c.kind), c.expected)
            << rawValue(c.kind) << " exit " << c.output.exitCode << ": " << c.output.combined();
    }
}

TEST(HarnessProbe, CommandsOfEachKind) {
    EXPECT_EQ(HarnessProbe::versionArguments(), (std::vector<std::string>{"--version"}));
    EXPECT_EQ(HarnessProbe::loginArguments(HarnessKind::claudeCode),
              (std::vector<std::string>{"auth", "status", "--json"}));
    EXPECT_EQ(HarnessProbe::loginArguments(HarnessKind::codex),
              (std::vector<std::string>{"login", "status"}));
    EXPECT_EQ(HarnessProbe::loginArguments(HarnessKind::muse), (std::vector<std::string>{"usage", "--json"}));
}

TEST(HarnessProbe, FindsTheFirstThreePartVersion) {
    struct Case {
        std::string text;
        std::optional<std::string> version;
    };
    const std::vector<Case> cases = {
        {"1.0.72-beta.1 (Claude Code)\n", "1.0.72-beta.1"},
        {"codex-cli 0.46.0\n", "0.46.0"},
        {"\nmuse v12.3.4", "12.3.4"},
        {"muse 12\n", std::nullopt},
        {"version 1.2 of 3.4", std::nullopt},
        {"1.2.3.4", "1.2.3"},
        {"1.2.3-", "1.2.3"},
        {"1.2.3-rc.1+build.5", "1.2.3-rc.1"},
        {"build 7.8 then 1.2.3", "1.2.3"},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HarnessProbe::parseVersion(c.text), c.version) << c.text;
}

TEST(HarnessProbe, ScansLongOutputInLinearTime) {
    // A megabyte of near misses: a regular expression engine would recurse per character here.
    std::string text;
    while (text.size() < 1024 * 1024)
        text += "12345678.9 ";
    EXPECT_EQ(HarnessProbe::parseVersion(text), std::nullopt);
    EXPECT_EQ(HarnessProbe::parseVersion(text + "2.1.3"), "2.1.3");
    EXPECT_EQ(HarnessVersion::number(std::string(1024 * 1024, '7')), std::string(1024 * 1024, '7'));
}

TEST(HarnessVersion, GivesTheShortVersionOrTheTextItself) {
    struct Case {
        std::optional<std::string> text;
        std::optional<std::string> number;
    };
    const std::vector<Case> cases = {
        {"2.1.3", "2.1.3"},
        {"2.1.3 (Claude Code)", "2.1.3"},
        {"codex-cli 0.46.0", "0.46.0"},
        {"muse 10.2-beta", "10.2"},
        {"1.2.3.4.5", "1.2.3.4.5"},
        {"beta", "beta"},
        {"7", "7"},
        {std::nullopt, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HarnessVersion::number(c.text), c.number) << c.text.value_or("(none)");
}

} // namespace
} // namespace velto
