#include "VeltoDevice/Support/InfoDictionary.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <plist/plist.h>
#include <string>

#include "TemporaryFolder.hpp"
#include "TestBundle.hpp"

namespace velto {
namespace {

using testing::TestBundle;
std::string binaryPlist() {
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "CFBundleIdentifier", plist_new_string("app.velto.desktop"));
    plist_dict_set_item(root, "Count", plist_new_uint(3));
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    std::string result(bytes, length);
    plist_to_bin_free(bytes);
    plist_free(root);
    return result;
}

TEST(InfoDictionary, ReadsTheStringsOfATopLevelDictionary) {
    auto xml = InfoDictionary::parse(TestBundle::infoPlist({{"CFBundleIdentifier", "app.velto.desktop"}}));
    EXPECT_EQ(xml.text("CFBundleIdentifier"), "app.velto.desktop");
    EXPECT_FALSE(xml.text("CFBundleExecutable").has_value());

    auto binary = InfoDictionary::parse(binaryPlist());
    EXPECT_EQ(binary.text("CFBundleIdentifier"), "app.velto.desktop");
    EXPECT_TRUE(binary.contains("Count"));
    EXPECT_FALSE(binary.text("Count").has_value());

    const std::string notDictionaries[] = {
        "",
        "not a property list",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>a</string></array></plist>",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><string>a</string></plist>",
    };
    for (const auto& text : notDictionaries)
        EXPECT_TRUE(InfoDictionary::parse(text).isEmpty()) << text;
}

TEST(InfoDictionary, ReadsNoFileOverItsLimit) {
    testing::TemporaryFolder folder;
    auto plist = TestBundle::infoPlist({{"Padding", std::string(InfoDictionary::maximumFileSize, 'x')}});
    TestBundle::writeFile(folder.path() / "Info.plist", plist);
    EXPECT_TRUE(InfoDictionary::read(folder.path() / "Info.plist").isEmpty());
    EXPECT_TRUE(InfoDictionary::read(folder.path() / "missing.plist").isEmpty());
    EXPECT_TRUE(InfoDictionary::read(folder.path()).isEmpty());
}

} // namespace
} // namespace velto
