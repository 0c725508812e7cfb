#include "VeltoDevice/Update/UpdateRefusal.hpp"
#include "VeltoDevice/Update/ZipCentralDirectory.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <sys/stat.h>

#include "TemporaryFolder.hpp"
#include "ZipWriter.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing::ZipWriter;

class ZipCentralDirectoryTest : public ::testing::Test {
protected:
    fs::path archive() const { return folder.path() / "update.zip"; }

    /// The bytes of a small archive: a folder, a file and a FIFO.
    std::string written() const {
        {
            ZipWriter zip(archive());
            zip.folder("Velto.app");
            zip.file("Velto.app/readme", "hello", 0600);
            zip.add("Velto.app/pipe", S_IFIFO | 0644, "");
        }
        std::ifstream input(archive(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
    }

    void rewrite(const std::string& bytes) const {
        std::ofstream output(archive(), std::ios::binary | std::ios::trunc);
        output << bytes;
    }

    bool refused(std::size_t maximum = 100) const {
        try {
            ZipCentralDirectory::read(archive(), maximum);
            return false;
        } catch (const UpdateRefusal& refusal) {
            EXPECT_EQ(refusal.kind(), UpdateRefusal::Case::unzipFailed);
            return true;
        }
    }

    testing::TemporaryFolder folder;
};

TEST_F(ZipCentralDirectoryTest, ReadsEachEntrysNameAndUnixMode) {
    auto bytes = written();
    auto entries = ZipCentralDirectory::read(archive(), 3);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "Velto.app/");
    EXPECT_EQ(entries[0].unixMode, std::optional<std::uint32_t>(S_IFDIR | 0755));
    EXPECT_EQ(entries[1].name, "Velto.app/readme");
    EXPECT_EQ(entries[1].unixMode, std::optional<std::uint32_t>(S_IFREG | 0600));
    EXPECT_EQ(entries[2].unixMode, std::optional<std::uint32_t>(S_IFIFO | 0644));

    // Made on another system than Unix ("version made by" high byte 0): no Unix mode.
    auto central = bytes.find(std::string("PK\x01\x02", 4));
    ASSERT_NE(central, std::string::npos);
    bytes[central + 5] = '\0';
    rewrite(bytes);
    EXPECT_EQ(ZipCentralDirectory::read(archive(), 3)[0].unixMode, std::nullopt);

    // A comment after the end record.
    bytes = written();
    bytes[bytes.size() - 2] = 7;
    rewrite(bytes + "comment");
    EXPECT_EQ(ZipCentralDirectory::read(archive(), 3).size(), 3u);
}

TEST_F(ZipCentralDirectoryTest, RefusesADirectoryItCannotTrust) {
    struct Row {
        const char* name;
        std::function<std::string(std::string)> change;
    };
    const Row rows[] = {
        {"no end record", [](std::string bytes) { return bytes.substr(0, bytes.size() - 22); }},
        {"a cut end record", [](std::string bytes) { return bytes.substr(0, bytes.size() - 4); }},
        {"bytes before the archive", [](std::string bytes) { return "MZ" + bytes; }},
        {"bytes between the directory and its end",
         [](std::string bytes) { return bytes.insert(bytes.size() - 22, "xx"); }},
        {"more entries counted than listed",
         [](std::string bytes) {
             bytes[bytes.size() - 12] = 4;
             bytes[bytes.size() - 14] = 4;
             return bytes;
         }},
        {"fewer entries counted than listed",
         [](std::string bytes) {
             bytes[bytes.size() - 12] = 2;
             bytes[bytes.size() - 14] = 2;
             return bytes;
         }},
        {"another disk",
         [](std::string bytes) {
             bytes[bytes.size() - 18] = 1;
             return bytes;
         }},
        {"not a zip", [](std::string) { return std::string("PK not really"); }},
    };
    for (const auto& row : rows) {
        rewrite(row.change(written()));
        EXPECT_TRUE(refused()) << row.name;
    }
    written();
    EXPECT_TRUE(refused(2)) << "more entries than allowed";
    EXPECT_FALSE(refused(3));
    fs::remove(archive());
    EXPECT_TRUE(refused()) << "no file";
}

} // namespace
} // namespace velto
