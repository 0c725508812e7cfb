#include "VeltoDevice/Update/UpdateRefusal.hpp"
#include "VeltoDevice/Update/ZipUnpacker.hpp"

#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sys/stat.h>

#include "TemporaryFolder.hpp"
#include "ZipWriter.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing::ZipWriter;

class ZipUnpackerTest : public ::testing::Test {
protected:
    fs::path archive() const { return folder.path() / "update.zip"; }
    fs::path expanded() const { return folder.path() / "expanded"; }

    /// Writes the archive, unpacks it; true when it was taken, false when refused with unzipFailed.
    bool unpacks(const std::function<void(ZipWriter&)>& entries, ZipUnpacker::Limits limits = {}) {
        {
            ZipWriter zip(archive());
            entries(zip);
        }
        try {
            ZipUnpacker::unpack(archive(), expanded(), StopFlag(), limits);
            return true;
        } catch (const UpdateRefusal& refusal) {
            EXPECT_EQ(refusal.kind(), UpdateRefusal::Case::unzipFailed);
            return false;
        }
    }

    /// Everything in the test's folder but the archive and the unpacked folder's own content.
    std::set<std::string> outside() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    static mode_t modeOf(const fs::path& path) {
        struct stat status {};
        EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
        return status.st_mode;
    }

    testing::TemporaryFolder folder;
};

TEST_F(ZipUnpackerTest, UnpacksFilesFoldersAndLinksWithMaskedModes) {
    ASSERT_TRUE(unpacks([](ZipWriter& zip) {
        zip.folder("Velto.app");
        zip.folder("Velto.app/Contents", 0777);
        zip.file("Velto.app/Contents/tool", "#!/bin/sh\n", 04777);
        zip.file("Velto.app/Contents/data", "bytes", 0666);
        zip.link("Velto.app/Contents/current", "data");
        zip.link("Velto.app/Contents/up", "../Contents/./data");
        // A file whose folder has no entry of its own.
        zip.file("Other/readme", "hello");
    }));
    auto contents = expanded() / "Velto.app" / "Contents";
    EXPECT_EQ(modeOf(contents) & 07777, 0755u);
    EXPECT_EQ(modeOf(contents / "tool") & 07777, 0755u);
    EXPECT_EQ(modeOf(contents / "data") & 07777, 0644u);
    EXPECT_TRUE(S_ISLNK(modeOf(contents / "current")));
    EXPECT_EQ(fs::read_symlink(contents / "current"), "data");
    EXPECT_EQ(fs::file_size(expanded() / "Other" / "readme"), 5u);
}

TEST_F(ZipUnpackerTest, RefusesHostileEntries) {
    struct Case {
        const char* name;
        std::function<void(ZipWriter&)> entries;
    };
    const Case cases[] = {
        {"a parent part", [](ZipWriter& zip) { zip.file("../escaped", "x"); }},
        {"a parent part inside", [](ZipWriter& zip) { zip.file("a/../../escaped", "x"); }},
        {"an absolute path", [](ZipWriter& zip) { zip.file("/tmp/velto-escaped", "x"); }},
        {"a dot part", [](ZipWriter& zip) { zip.file("./a", "x"); }},
        {"an empty part", [](ZipWriter& zip) { zip.file("a//b", "x"); }},
        {"an absolute link", [](ZipWriter& zip) { zip.link("a", "/etc"); }},
        {"a link out", [](ZipWriter& zip) { zip.link("app/a", "../../escaped"); }},
        {"an empty link", [](ZipWriter& zip) { zip.link("a", ""); }},
        {"a link out through another link",
         [](ZipWriter& zip) {
             zip.folder("d");
             zip.link("d/b", "..");
             zip.link("a", "d/b/..");
         }},
        {"writing through a link",
         [](ZipWriter& zip) {
             zip.folder("sub");
             zip.link("l", "sub");
             zip.file("l/file", "x");
         }},
        {"writing below a file",
         [](ZipWriter& zip) {
             zip.file("f", "x");
             zip.file("f/g", "x");
         }},
        {"a character device", [](ZipWriter& zip) { zip.add("null", S_IFCHR | 0666, ""); }},
        {"a block device", [](ZipWriter& zip) { zip.add("disk", S_IFBLK | 0666, ""); }},
        {"a socket", [](ZipWriter& zip) { zip.add("socket", S_IFSOCK | 0644, ""); }},
        {"a FIFO", [](ZipWriter& zip) { zip.add("pipe", S_IFIFO | 0644, ""); }},
        {"a file twice",
         [](ZipWriter& zip) {
             zip.file("a", "one");
             zip.file("a", "two");
         }},
        {"a folder twice",
         [](ZipWriter& zip) {
             zip.folder("a");
             zip.folder("a");
         }},
        {"a link over an implied folder",
         [](ZipWriter& zip) {
             zip.file("a/b", "x");
             zip.link("a", "c");
         }},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(unpacks(c.entries)) << c.name;
        auto names = outside();
        names.erase("expanded");
        EXPECT_EQ(names, std::set<std::string>{"update.zip"}) << c.name;
        EXPECT_FALSE(fs::exists("/tmp/velto-escaped")) << c.name;
        fs::remove_all(expanded());
    }
}

// libarchive's zip reader reads a FIFO's entry as a plain file; the central directory says what it is,
// and is read before anything is written.
TEST_F(ZipUnpackerTest, RefusesAFIFOBeforeWritingAnything) {
    EXPECT_FALSE(unpacks([](ZipWriter& zip) {
        zip.folder("Velto.app");
        zip.file("Velto.app/readme", "hello");
        zip.add("Velto.app/pipe", S_IFIFO | 0644, "");
    }));
    EXPECT_FALSE(fs::exists(expanded()));
}

TEST_F(ZipUnpackerTest, MakesTheFoldersAnArchiveImpliesWithoutGroupWriteUnderAnyUmask) {
    const mode_t previous = ::umask(002);
    bool taken = unpacks([](ZipWriter& zip) {
        zip.file("Velto.app/Contents/Resources/readme", "hello");
        zip.folder("Velto.app/Contents/bin", 0775);
    });
    ::umask(previous);
    ASSERT_TRUE(taken);
    for (const char* implied : {"Velto.app", "Velto.app/Contents", "Velto.app/Contents/Resources"})
        EXPECT_EQ(modeOf(expanded() / implied) & 07777, 0755u) << implied;
    EXPECT_EQ(modeOf(expanded() / "Velto.app/Contents/bin") & 07777, 0755u);
    EXPECT_EQ(modeOf(expanded() / "Velto.app/Contents/Resources/readme") & 07777, 0644u);
}

TEST_F(ZipUnpackerTest, RefusesWhatIsNotAZip) {
    {
        std::FILE* file = std::fopen(archive().c_str(), "wb");
        std::fputs("PK not really", file);
        std::fclose(file);
    }
    EXPECT_THROW(ZipUnpacker::unpack(archive(), expanded(), StopFlag()), UpdateRefusal);
    EXPECT_THROW(ZipUnpacker::unpack(folder.path() / "missing.zip", folder.path() / "other", StopFlag()),
                 UpdateRefusal);
}

TEST_F(ZipUnpackerTest, RefusesMoreThanItsCaps) {
    auto entries = [](int count, std::size_t size) {
        return [count, size](ZipWriter& zip) {
            for (int i = 0; i < count; ++i)
                zip.file("file" + std::to_string(i), std::string(size, 'x'));
        };
    };
    EXPECT_TRUE(unpacks(entries(3, 4), {3, 12}));
    fs::remove_all(expanded());
    EXPECT_FALSE(unpacks(entries(4, 1), {3, 12}));
    fs::remove_all(expanded());
    EXPECT_FALSE(unpacks(entries(1, 13), {3, 12}));
    fs::remove_all(expanded());
    EXPECT_FALSE(unpacks(entries(3, 5), {3, 12}));
    ZipUnpacker::Limits defaults;
    EXPECT_EQ(defaults.entries, 100'000u);
    EXPECT_EQ(defaults.bytes, 4ull * 1024 * 1024 * 1024);
}

TEST_F(ZipUnpackerTest, StopsWhenAsked) {
    {
        ZipWriter zip(archive());
        zip.file("a", "x");
    }
    StopFlag stop;
    stop.request();
    try {
        ZipUnpacker::unpack(archive(), expanded(), stop);
        FAIL() << "not stopped";
    } catch (const boost::system::system_error& error) {
        EXPECT_EQ(error.code(), boost::asio::error::operation_aborted);
    }
}

} // namespace
} // namespace velto
