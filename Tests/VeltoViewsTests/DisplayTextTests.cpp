#include "VeltoDesktop/Views/DisplayText.hpp"
#include "VeltoDesktop/Views/Monogram.hpp"

#include <gtest/gtest.h>

#include <string>

namespace velto {
namespace {

TEST(MonogramTest, FirstGraphemeClusterUpperCased) {
    const std::pair<std::string, std::string> cases[] = {
        {"acme", "A"},
        {"  zeta labs", "Z"},
        {"e\xCC\x81lan", "E\xCC\x81"}, // e with a combining acute stays whole
        {"\xC3\x9F"
         "bahn",
         "SS"},                                                                        // full case mapping
        {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA GmbH", "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"}, // a flag
        {"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", "\xD7\xA9"},
    };
    for (const auto& [name, initial] : cases)
        EXPECT_EQ(Monogram::of(name), QString::fromStdString(initial)) << name;
}

TEST(MonogramTest, BlankOrBrokenNamesHaveNone) {
    for (std::string name : {std::string(), std::string("   "), std::string("\t\n"), std::string("\xFF\xFE")})
        EXPECT_EQ(Monogram::of(name), std::nullopt) << name;
}

TEST(DisplayTextTest, MarkupStaysLiteralAndLineBreaksBecomeSpaces) {
    EXPECT_EQ(DisplayText::line("<b>Acme</b> <img src='image://symbol/circle'>"),
              QString("<b>Acme</b> <img src='image://symbol/circle'>"));
    EXPECT_EQ(DisplayText::line("Acme\nInc\t\x01."), QString("Acme Inc  ."));
    EXPECT_EQ(DisplayText::paragraph("One.\nTwo.\x07"), QString("One.\nTwo. "));
}

TEST(DisplayTextTest, DirectionControlsAndRightToLeftNamesAreIsolated) {
    const auto overriding = DisplayText::line("\xE2\x80\xAE"
                                              "evil.exe");
    EXPECT_EQ(overriding.front(), QChar(0x2068));
    EXPECT_EQ(overriding.back(), QChar(0x2069));
    const auto hebrew = DisplayText::line("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D");
    EXPECT_EQ(hebrew.front(), QChar(0x2068));
    EXPECT_EQ(DisplayText::line("Acme"), QString("Acme"));
}

TEST(DisplayTextTest, OverlongTextIsCutWithAnEllipsis) {
    const auto line = DisplayText::line(std::string(100000, 'a'));
    EXPECT_EQ(line.size(), DisplayText::maximumLineClusters + 1);
    EXPECT_EQ(line.back(), QChar(0x2026));
    // Clusters, not code units: a long run of accented letters keeps its accents.
    std::string accented;
    for (int i = 0; i < 200; ++i)
        accented += "e\xCC\x81";
    const auto cut = DisplayText::line(accented);
    EXPECT_EQ(cut.size(), 2 * DisplayText::maximumLineClusters + 1);
    EXPECT_EQ(DisplayText::line(std::string(DisplayText::maximumLineClusters, 'b')).size(),
              DisplayText::maximumLineClusters);
}

} // namespace
} // namespace velto
