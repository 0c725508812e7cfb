#include "VeltoDevice/Support/InfoDictionary.hpp"
#include "VeltoDevice/Support/PropertyListScreen.hpp"

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

template <std::size_t size> std::string bytesOf(const char (&text)[size]) {
    return std::string(text, size - 1);
}

/// A binary plist whose top dictionary holds "CFBundleIdentifier" and, under "Nested", a chain of
/// `arrays` arrays, each holding the next (or, with `looped`, the last holding the first).
std::string nestedBinaryPlist(std::size_t arrays, bool looped = false) {
    auto reference = [](std::string& out, std::size_t index) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>((index >> shift) & 0xFF);
    };
    std::string bytes = "bplist00";
    std::vector<std::size_t> offsets;
    offsets.push_back(bytes.size());
    bytes += '\xD2';
    for (std::size_t index : {1, 2, 3, 4})
        reference(bytes, index);
    offsets.push_back(bytes.size());
    bytes += "\x5F\x10\x12"
             "CFBundleIdentifier";
    offsets.push_back(bytes.size());
    bytes += "\x56Nested";
    offsets.push_back(bytes.size());
    bytes += "\x5F\x10\x11"
             "app.velto.desktop";
    for (std::size_t i = 0; i < arrays; ++i) {
        offsets.push_back(bytes.size());
        bool last = i + 1 == arrays;
        if (last && !looped) {
            bytes += '\xA0';
        } else {
            bytes += '\xA1';
            reference(bytes, last ? 4 : 5 + i);
        }
    }
    std::size_t table = bytes.size();
    for (auto offset : offsets)
        reference(bytes, offset);
    bytes += std::string(6, '\0') + "\x04\x04";
    for (std::size_t value : {offsets.size(), std::size_t{0}, table}) {
        bytes += std::string(4, '\0');
        reference(bytes, value);
    }
    return bytes;
}

TEST(InfoDictionary, ReadsUTF16StringsOfABinaryPlist) {
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "CFBundleIdentifier", plist_new_string("app.velto.d\xC3\xA9sktop"));
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    std::string binary(bytes, length);
    plist_to_bin_free(bytes);
    plist_free(root);
    EXPECT_EQ(InfoDictionary::parse(binary).text("CFBundleIdentifier"), "app.velto.d\xC3\xA9sktop");
}

// libplist aborts the process when asked for a string or key holding U+0000, and cuts a binary
// plist's ASCII string at its NUL; it parses binary containers recursively.
TEST(InfoDictionary, ReadsAFileWithANulCharacterOrDeepNestingAsEmpty) {
    struct Row {
        const char* name;
        std::string bytes;
    };
    const Row rows[] = {
        {"an XML string holding a NUL",
         bytesOf("<plist><dict><key>ab</key><string>x\0yz</string></dict></plist>")},
        {"an XML key holding a NUL",
         bytesOf("<plist><dict><key>a\0b</key><string>xyz</string></dict></plist>")},
        {"an identifier with a NUL in XML",
         bytesOf("<plist><dict><key>CFBundleIdentifier</key><string>app.velto.desktop\0x</string>"
                 "<key>CFBundleShortVersionString</key><string>2.0.0</string></dict></plist>")},
        {"a version with a NUL in XML",
         bytesOf("<plist><dict><key>CFBundleIdentifier</key><string>app.velto.desktop</string>"
                 "<key>CFBundleShortVersionString</key><string>2.0.0\0junk</string></dict></plist>")},
        {"a UTF-16 string holding U+0000",
         bytesOf(
             "bplist00\xd1\x01\x02_\x10\x12"
             "CFBundleIdentifierb\x00\xe9\x00\x00\x08\x0b \x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00\x00"
             "\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00%")},
        {"a UTF-16 key holding U+0000",
         bytesOf("bplist00\xd1\x01\x02"
                 "b\x00\xe9\x00\x00Qx\x08\x0b\x10\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00"
                 "\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x12")},
        {"an identifier with a NUL in a binary plist",
         bytesOf("bplist00\xd2\x01\x02\x03\x04_\x10\x12"
                 "CFBundleIdentifier_\x10\x1a"
                 "CFBundleShortVersionString_\x10\x13"
                 "app.velto.desktop\x00xU2.0.0\x08\x0d\x22\x3fU\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00"
                 "\x00\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00[")},
        {"a version with a NUL in a binary plist",
         bytesOf(
             "bplist00\xd2\x01\x02\x03\x04_\x10\x12"
             "CFBundleIdentifier_\x10\x1a"
             "CFBundleShortVersionString_\x10\x11"
             "app.velto.desktopZ2.0.0\x00junk\x08\x0d\x22\x3fS\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00"
             "\x00\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00^")},
        {"arrays nested past the limit", nestedBinaryPlist(PropertyListScreen::maximumDepth + 1)},
        {"arrays nested 100000 deep", nestedBinaryPlist(100'000)},
        {"arrays that hold each other", nestedBinaryPlist(3, true)},
        {"an array that holds itself", nestedBinaryPlist(1, true)},
        {"a reference past the objects",
         [] {
             auto bytes = nestedBinaryPlist(2);
             bytes[9 + 3 * 4] = 9;
             return bytes;
         }()},
        {"a cut offset table", nestedBinaryPlist(2).substr(0, 60) + std::string(32, '\0')},
    };
    EXPECT_EQ(rows[0].bytes.size(), 62u);
    for (const auto& row : rows) {
        auto info = InfoDictionary::parse(row.bytes);
        EXPECT_TRUE(info.isEmpty()) << row.name;
        EXPECT_NE(info.text("CFBundleIdentifier"), "app.velto.desktop") << row.name;
        EXPECT_NE(info.text("CFBundleShortVersionString"), "2.0.0") << row.name;
    }
    auto deepest = InfoDictionary::parse(nestedBinaryPlist(PropertyListScreen::maximumDepth));
    EXPECT_EQ(deepest.text("CFBundleIdentifier"), "app.velto.desktop");
    EXPECT_TRUE(deepest.contains("Nested"));
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
