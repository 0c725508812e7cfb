#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Enrollment/EnrollmentError.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <unordered_set>

namespace velto {
namespace {

struct TypedCase {
    const char* name;
    std::string typed;
    std::optional<std::string> value; // nothing: invalidCode
};

class EnrollmentCodeTyped : public ::testing::TestWithParam<TypedCase> {};

TEST_P(EnrollmentCodeTyped, NormalisesOrRefuses) {
    const auto& entry = GetParam();
    if (entry.value) {
        EXPECT_EQ(EnrollmentCode::fromTyped(entry.typed).value(), *entry.value);
    } else {
        try {
            EnrollmentCode::fromTyped(entry.typed);
            FAIL() << "accepted " << entry.typed;
        } catch (const EnrollmentError& error) {
            EXPECT_EQ(error, EnrollmentError::invalidCode());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, EnrollmentCodeTyped,
    ::testing::Values(
        // Separators and case.
        TypedCase{"lowerCaseWithSpace", "7kq2 mx9d", "7KQ2MX9D"},
        TypedCase{"withHyphen", "7KQ2-MX9D", "7KQ2MX9D"}, TypedCase{"noSeparator", "7KQ2MX9D", "7KQ2MX9D"},
        TypedCase{"separatorsAnywhere", " 7-K Q2--MX 9D ", "7KQ2MX9D"},
        // O, I and L read as digits, in either case.
        TypedCase{"oAndI", "OOOO-IIII", "00001111"}, TypedCase{"lowerOAndI", "oooo-iiii", "00001111"},
        TypedCase{"mixedL", "lLlLLlll", "11111111"},
        // Full Unicode upper case, which may change the length.
        TypedCase{"sharpSBecomesTwoLetters", "7KQ2-MXß", "7KQ2MXSS"},
        TypedCase{"ligatureBecomesTwoLetters", "7KQ2MX\xEF\xAC\x80", "7KQ2MXFF"},
        TypedCase{"sharpSMakesNine", "7KQ2MX9ß", std::nullopt},
        TypedCase{"dotlessIReadsAsOne", "\xC4\xB1\xC4\xB1\xC4\xB1\xC4\xB1-1111", "11111111"},
        TypedCase{"longSReadsAsS", "\xC5\xBFSSS-SSSS", "SSSSSSSS"},
        // Only the space and the hyphen-minus are separators.
        TypedCase{"tab", "7KQ2\tMX9D", std::nullopt}, TypedCase{"newline", "7KQ2MX9D\n", std::nullopt},
        TypedCase{"noBreakSpace", "7KQ2\xC2\xA0MX9D", std::nullopt},
        TypedCase{"enDash", "7KQ2\xE2\x80\x93MX9D", std::nullopt},
        TypedCase{"minusSign", "7KQ2\xE2\x88\x92MX9D", std::nullopt},
        // Lengths.
        TypedCase{"seven", "7KQ2-MX9", std::nullopt}, TypedCase{"nine", "7KQ2-MX9DA", std::nullopt},
        TypedCase{"empty", "", std::nullopt}, TypedCase{"separatorsOnly", "---- ----", std::nullopt},
        // Symbols outside the alphabet.
        TypedCase{"letterU", "7KQ2-MX9U", std::nullopt}, TypedCase{"lowerU", "7kq2-mx9u", std::nullopt},
        TypedCase{"punctuation", "7KQ2-MX9!", std::nullopt},
        TypedCase{"fullWidthDigit", "\xEF\xBC\x97KQ2MX9D", std::nullopt},
        TypedCase{"combiningMark", "7KQ2MX9D\xCC\x81", std::nullopt},
        TypedCase{"accentedLetter", "7KQ2MX9\xC3\x89", std::nullopt},
        TypedCase{"notUTF8", "7KQ2MX9\xFF", std::nullopt},
        TypedCase{"nul", std::string("7KQ2MX9\0", 8), std::nullopt}),
    [](const auto& parameter) { return std::string(parameter.param.name); });

TEST(EnrollmentCode, DisplayValueHasAHyphenAfterTheFourthSymbol) {
    EXPECT_EQ(EnrollmentCode::fromTyped("7kq2 mx9d").displayValue(), "7KQ2-MX9D");
}

TEST(EnrollmentCode, EqualCodesHashAlike) {
    std::unordered_set<EnrollmentCode> codes{EnrollmentCode::fromTyped("7kq2-mx9d"),
                                             EnrollmentCode::fromTyped("7KQ2MX9D")};
    EXPECT_EQ(codes.size(), 1u);
}

struct DescriptionCase {
    EnrollmentError error;
    const char* text;
};

TEST(EnrollmentError, Descriptions) {
    const DescriptionCase table[] = {
        {EnrollmentError::invalidCode(), "An enrollment code is 8 letters and digits, like 7KQ2-MX9D."},
        {EnrollmentError::invalidLink(), "That link is not a Velto enrollment link."},
        {EnrollmentError::codeRejected(),
         "Velto did not accept that code. It may be mistyped, expired or already used; make a new one in "
         "Devices."},
        {EnrollmentError::keyAlreadyEnrolled(),
         "This device key is already enrolled. Try again; enrolling makes a new key."},
        {EnrollmentError::proofRejected(), "Velto refused this computer's signature. Check that the "
                                           "computer's clock is right, then try again."},
        {EnrollmentError::unreadableEnrollment(), "This computer's saved enrollments could not be read right "
                                                  "now. Quit and reopen Velto to try again."},
        {EnrollmentError::corruptEnrollments(),
         "This computer's list of organizations is damaged. Enroll each organization again."},
        {EnrollmentError::corruptEnrollment(),
         "This computer's saved enrollment is damaged. It was set aside; enroll this computer again."},
    };
    for (const auto& entry : table)
        EXPECT_STREQ(entry.error.what(), entry.text);
    EXPECT_NE(EnrollmentError::invalidCode(), EnrollmentError::invalidLink());
}

} // namespace
} // namespace velto
