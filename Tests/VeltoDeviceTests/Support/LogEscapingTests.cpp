#include "VeltoDevice/Support/LogEscaping.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

TEST(LogEscaping, ControlsBidiMarksAndBrokenUTF8AreEscapedAndTheRestKept) {
    struct Case {
        const char* name;
        std::string text;
        std::string escaped;
    };
    const std::vector<Case> cases = {
        {"a forged line and a terminal escape", "Evil\nmallory info: forged line\x1b[31m red",
         "Evil\\nmallory info: forged line\\x1B[31m red"},
        {"carriage return and tab", "a\rb\tc", "a\\rb\\tc"},
        {"NUL, other C0 and DEL", std::string("\0\x01\x1f\x7f", 4), "\\x00\\x01\\x1F\\x7F"},
        {"the escape character itself", "C:\\x1B", "C:\\\\x1B"},
        {"C1 controls", "\u0080 \u0085 \u009f", "\\u{0080} \\u{0085} \\u{009F}"},
        {"bidi embeddings and overrides", "\u202a\u202b\u202c\u202d\u202e",
         "\\u{202A}\\u{202B}\\u{202C}\\u{202D}\\u{202E}"},
        {"bidi isolates", "\u2066\u2067\u2068\u2069", "\\u{2066}\\u{2067}\\u{2068}\\u{2069}"},
        {"bidi marks", "\u200e\u200f\u061c", "\\u{200E}\\u{200F}\\u{061C}"},
        {"line and paragraph separators", "a\u2028b\u2029c", "a\\u{2028}b\\u{2029}c"},
        {"text that stays", "Ünïcødé 組織 🙂 \u00a0\u200d \u2065\u206a",
         "Ünïcødé 組織 🙂 \u00a0\u200d \u2065\u206a"},
        {"a lone continuation byte and a cut sequence", "a\x80z\xe2\x80", "a\\x80z\\xE2\\x80"},
        {"an overlong form and a surrogate", "\xc0\xaf \xed\xa0\x80", "\\xC0\\xAF \\xED\\xA0\\x80"},
        {"a broken byte before a sound sequence", "\xe2\xc3\xa9", "\\xE2\u00e9"},
        {"empty", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(escapedForLog(c.text), c.escaped) << c.name;
}

} // namespace
} // namespace velto
