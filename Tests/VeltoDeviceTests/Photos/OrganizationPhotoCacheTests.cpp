#include "VeltoDevice/Photos/OrganizationPhotoCache.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/FileError.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "ManualClock.hpp"
#include "ScopedEnvironmentVariable.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::ManualClock;

OrganizationPhoto picture(std::string bytes, std::optional<std::string> version = std::nullopt) {
    return {toBytes(bytes), "image/png", std::move(version)};
}

void writeFile(const fs::path& path, std::string_view contents) {
    std::ofstream out(path, std::ios::binary);
    out << contents;
}

std::optional<std::string> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// The kind of FileError that `operation` throws; fails the test when it throws none.
template <typename Operation> std::optional<FileError::Case> fileError(Operation operation) {
    try {
        operation();
    } catch (const FileError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no FileError";
    return std::nullopt;
}

class OrganizationPhotoCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "photo-cache-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        folder = root / "data" / "Velto" / "photos";
    }
    void TearDown() override { fs::remove_all(root); }

    /// A fetch that counts its calls and answers `result` once the clock has moved `delay` on.
    OrganizationPhotoCache::Fetch fetching(std::optional<OrganizationPhoto> result,
                                           Clock::Duration delay = 0s) {
        return [this, result, delay]() -> boost::asio::awaitable<std::optional<OrganizationPhoto>> {
            ++fetches;
            if (delay > 0s)
                co_await clock.sleep(delay);
            co_return result;
        };
    }

    PhotoChange sync(OrganizationPhotoCache& cache, std::string key, std::optional<std::string> version,
                     OrganizationPhotoCache::Fetch fetch) {
        return loop.run(cache.sync(std::move(key), std::move(version), std::move(fetch)));
    }

    /// A cache holding `bytes` under "dev-1" with `version`.
    OrganizationPhotoCache stocked(std::string bytes = "old", std::string version = "v1") {
        OrganizationPhotoCache cache(folder, loop.executor());
        EXPECT_EQ(sync(cache, "dev-1", version, fetching(picture(bytes))), PhotoChange::saved);
        fetches = 0;
        return cache;
    }

    fs::path root;
    fs::path folder;
    ManualClock clock;
    AsyncTestLoop loop;
    int fetches = 0;
};

TEST_F(OrganizationPhotoCacheTest, SaveCreatesTheFolderAndWritesBothFiles) {
    OrganizationPhotoCache cache(folder, loop.executor());
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(sync(cache, "dev-1", "announced", fetching(picture(std::string("\x89PNG\0x", 6), "etag-v"))),
              PhotoChange::saved);

    EXPECT_EQ(readFile(folder / "dev-1"), std::string("\x89PNG\0x", 6));
    EXPECT_EQ(readFile(folder / "dev-1.version"), "etag-v");
    EXPECT_EQ(cache.photo("dev-1"), toBytes(std::string("\x89PNG\0x", 6)));
    EXPECT_EQ(cache.version("dev-1"), "etag-v");
    // Nothing but the two files: no temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

TEST_F(OrganizationPhotoCacheTest, ReplyWithoutVersionIsSavedUnderTheAnnouncedOne) {
    OrganizationPhotoCache cache(folder, loop.executor());
    EXPECT_EQ(sync(cache, "dev-1", "announced", fetching(picture("png"))), PhotoChange::saved);
    EXPECT_EQ(readFile(folder / "dev-1.version"), "announced");
}

TEST_F(OrganizationPhotoCacheTest, SameVersionIsUnchangedWithoutFetching) {
    auto cache = stocked("old", "v1");
    EXPECT_EQ(sync(cache, "dev-1", "v1", fetching(picture("new"))), PhotoChange::unchanged);
    EXPECT_EQ(fetches, 0);
    EXPECT_EQ(cache.photo("dev-1"), toBytes("old"));
}

TEST_F(OrganizationPhotoCacheTest, OtherVersionReplacesThePicture) {
    auto cache = stocked("old", "v1");
    EXPECT_EQ(sync(cache, "dev-1", "v2", fetching(picture("new"))), PhotoChange::saved);
    EXPECT_EQ(fetches, 1);
    EXPECT_EQ(cache.photo("dev-1"), toBytes("new"));
    EXPECT_EQ(cache.version("dev-1"), "v2");
}

TEST_F(OrganizationPhotoCacheTest, VersionFileWithoutItsPictureIsOutOfDate) {
    auto cache = stocked("old", "v1");
    fs::remove(folder / "dev-1");
    EXPECT_EQ(sync(cache, "dev-1", "v1", fetching(picture("again"))), PhotoChange::saved);
    EXPECT_EQ(fetches, 1);
    EXPECT_EQ(cache.photo("dev-1"), toBytes("again"));
}

TEST_F(OrganizationPhotoCacheTest, NoAnnouncedVersionRemovesThePicture) {
    auto cache = stocked();
    EXPECT_EQ(sync(cache, "dev-1", std::nullopt, fetching(picture("x"))), PhotoChange::removed);
    EXPECT_EQ(fetches, 0);
    EXPECT_FALSE(fs::exists(folder / "dev-1"));
    EXPECT_FALSE(fs::exists(folder / "dev-1.version"));

    EXPECT_EQ(sync(cache, "dev-1", std::nullopt, fetching(picture("x"))), PhotoChange::unchanged);
}

TEST_F(OrganizationPhotoCacheTest, LoneVersionFileIsLeftWhenThereIsNoPicture) {
    OrganizationPhotoCache cache(folder, loop.executor());
    fs::create_directories(folder);
    writeFile(folder / "dev-1.version", "v1");
    EXPECT_EQ(loop.run(cache.remove("dev-1")), PhotoChange::unchanged);
    EXPECT_TRUE(fs::exists(folder / "dev-1.version"));
}

TEST_F(OrganizationPhotoCacheTest, ServerWithoutPictureRemovesTheStoredOne) {
    auto cache = stocked();
    EXPECT_EQ(sync(cache, "dev-1", "v2", fetching(std::nullopt)), PhotoChange::removed);
    EXPECT_FALSE(cache.photo("dev-1"));
    EXPECT_FALSE(cache.version("dev-1"));

    OrganizationPhotoCache empty(root / "elsewhere", loop.executor());
    EXPECT_EQ(sync(empty, "dev-1", "v2", fetching(std::nullopt)), PhotoChange::unchanged);
}

TEST_F(OrganizationPhotoCacheTest, FetchErrorPropagatesAndLeavesTheFiles) {
    auto cache = stocked("old", "v1");
    OrganizationPhotoCache::Fetch failing = []() -> boost::asio::awaitable<std::optional<OrganizationPhoto>> {
        throw ServerError::unexpectedStatus(502);
        co_return std::nullopt;
    };
    EXPECT_THROW(sync(cache, "dev-1", "v2", failing), ServerError);
    EXPECT_EQ(cache.photo("dev-1"), toBytes("old"));
    EXPECT_EQ(cache.version("dev-1"), "v1");
}

TEST_F(OrganizationPhotoCacheTest, LatestStartedSyncWins) {
    OrganizationPhotoCache cache(folder, loop.executor());
    auto first = loop.spawn(cache.sync("dev-1", "v1", fetching(picture("first"), 10s)));
    auto second = loop.spawn(cache.sync("dev-1", "v2", fetching(picture("second"), 5s)));
    loop.drain();

    clock.advance(5s);
    loop.drain();
    ASSERT_TRUE(second->done);
    EXPECT_EQ(second->get(), PhotoChange::saved);

    clock.advance(5s);
    loop.drain();
    ASSERT_TRUE(first->done);
    EXPECT_EQ(first->get(), PhotoChange::unchanged);
    EXPECT_EQ(cache.photo("dev-1"), toBytes("second"));
    EXPECT_EQ(cache.version("dev-1"), "v2");
}

TEST_F(OrganizationPhotoCacheTest, UnchangedSyncStillSupersedesOneInFlight) {
    auto cache = stocked("old", "v1");
    auto slow = loop.spawn(cache.sync("dev-1", "v2", fetching(picture("slow"), 10s)));
    loop.drain();
    EXPECT_EQ(sync(cache, "dev-1", "v1", fetching(picture("x"))), PhotoChange::unchanged);

    clock.advance(10s);
    loop.drain();
    EXPECT_EQ(slow->get(), PhotoChange::unchanged);
    EXPECT_EQ(cache.photo("dev-1"), toBytes("old"));
}

TEST_F(OrganizationPhotoCacheTest, RemovalDuringAFetchWins) {
    auto cache = stocked("old", "v1");
    auto pending = loop.spawn(cache.sync("dev-1", "v2", fetching(picture("late"), 10s)));
    loop.drain();
    EXPECT_EQ(loop.run(cache.remove("dev-1")), PhotoChange::removed);

    clock.advance(10s);
    loop.drain();
    EXPECT_EQ(pending->get(), PhotoChange::unchanged);
    EXPECT_FALSE(fs::exists(folder / "dev-1"));
    EXPECT_FALSE(fs::exists(folder / "dev-1.version"));
}

TEST_F(OrganizationPhotoCacheTest, WritesRunOnTheFilesExecutorInTheOrderAskedFor) {
    // The files' executor is run apart from the cache's: nothing is written until it runs.
    boost::asio::io_context files;
    OrganizationPhotoCache cache(folder, files.get_executor());
    auto saved = loop.spawn(cache.sync("dev-1", "v1", fetching(picture("png"))));
    loop.drain();
    EXPECT_EQ(fetches, 1);
    EXPECT_FALSE(fs::exists(folder));
    auto removed = loop.spawn(cache.remove("dev-1"));
    loop.drain();

    for (;;) {
        files.restart();
        std::size_t ran = files.poll();
        loop.drain();
        if (ran == 0)
            break;
    }
    ASSERT_TRUE(saved->done && removed->done);
    EXPECT_EQ(saved->get(), PhotoChange::saved);
    // The removal, asked for after the save, went after it.
    EXPECT_EQ(removed->get(), PhotoChange::removed);
    EXPECT_FALSE(fs::exists(folder / "dev-1"));
    EXPECT_FALSE(fs::exists(folder / "dev-1.version"));
}

TEST_F(OrganizationPhotoCacheTest, OtherKeysDoNotSupersede) {
    OrganizationPhotoCache cache(folder, loop.executor());
    auto pending = loop.spawn(cache.sync("dev-1", "v1", fetching(picture("one"), 10s)));
    loop.drain();
    EXPECT_EQ(sync(cache, "dev-2", "v1", fetching(picture("two"))), PhotoChange::saved);
    EXPECT_EQ(loop.run(cache.remove("dev-3")), PhotoChange::unchanged);

    clock.advance(10s);
    loop.drain();
    EXPECT_EQ(pending->get(), PhotoChange::saved);
    EXPECT_EQ(cache.photo("dev-1"), toBytes("one"));
}

TEST_F(OrganizationPhotoCacheTest, CancelledSyncWritesNothing) {
    auto cache = stocked("old", "v1");
    boost::asio::cancellation_signal cancel;
    std::exception_ptr outcome;
    bool done = false;
    boost::asio::co_spawn(
        loop.context(), cache.sync("dev-1", "v2", fetching(picture("new"), 10s)),
        boost::asio::bind_cancellation_slot(cancel.slot(), [&](std::exception_ptr error, PhotoChange) {
            outcome = error;
            done = true;
        }));
    loop.drain();
    cancel.emit(boost::asio::cancellation_type::terminal);
    loop.drain();

    ASSERT_TRUE(done);
    ASSERT_TRUE(outcome) << "the sync ended without an error";
    try {
        std::rethrow_exception(outcome);
    } catch (const boost::system::system_error& error) {
        EXPECT_EQ(error.code(), boost::asio::error::operation_aborted);
    } catch (...) {
        ADD_FAILURE() << "not a cancellation";
    }
    EXPECT_EQ(cache.photo("dev-1"), toBytes("old"));
    EXPECT_EQ(cache.version("dev-1"), "v1");
}

TEST(OrganizationPhotoCacheKeys, Validity) {
    for (const char* key : {"dev-1", "A_b-9", "6F9619FF-8B86-D011-B42D-00C04FC964FF", "\u65e5\u672c",
                            "e\u0301", "\u0661\u0662"}) {
        EXPECT_TRUE(OrganizationPhotoCache::isValidKey(key)) << key;
    }
    for (const char* key :
         {"", "a/b", "a.b", "..", ".", "a b", "a\\b", "a\nb", "a:b", "a\u00a0b", "\xff", "a\xc3"}) {
        EXPECT_FALSE(OrganizationPhotoCache::isValidKey(key)) << key;
    }
}

TEST_F(OrganizationPhotoCacheTest, InvalidKeysTouchNoFile) {
    OrganizationPhotoCache cache(folder, loop.executor());
    fs::create_directories(folder);
    writeFile(folder.parent_path() / "outside", "keep");
    writeFile(folder.parent_path() / "outside.version", "keep");

    for (std::string key : {"../outside", "", "a b", "dev.1"}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(cache.photo(key));
        EXPECT_FALSE(cache.version(key));
        EXPECT_EQ(loop.run(cache.remove(key)), PhotoChange::unchanged);
        EXPECT_EQ(sync(cache, key, std::nullopt, fetching(picture("x"))), PhotoChange::unchanged);
        try {
            sync(cache, key, "v1", fetching(picture("evil")));
            ADD_FAILURE() << "saved under an invalid key";
        } catch (const ServerError& error) {
            EXPECT_EQ(error, ServerError::malformedResponse());
        }
    }
    EXPECT_EQ(readFile(folder.parent_path() / "outside"), "keep");
    EXPECT_EQ(readFile(folder.parent_path() / "outside.version"), "keep");
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(OrganizationPhotoCacheTest, VersionTextIsReadWholeWithInvalidUTF8Replaced) {
    OrganizationPhotoCache cache(folder, loop.executor());
    fs::create_directories(folder);
    const std::vector<std::pair<std::string, std::string>> rows = {
        {" v1\n", " v1\n"},
        {"a\xff"
         "b",
         "a\uFFFD"
         "b"},
        {"\xe2\x82", "\uFFFD"},
        {"\xe2\x82"
         "a",
         "\uFFFD"
         "a"},
        {"\xed\xa0\x80", "\uFFFD\uFFFD\uFFFD"},
        {"\xc0\xaf", "\uFFFD\uFFFD"},
        {"\xf4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xf0\x9f\x98\x80\xc3\xa9", "\U0001F600\u00e9"},
        {"", ""},
    };
    for (const auto& [stored, read] : rows) {
        writeFile(folder / "dev-1.version", stored);
        EXPECT_EQ(cache.version("dev-1"), read) << stored;
    }
}

TEST_F(OrganizationPhotoCacheTest, UnreadableFilesReadAsNothing) {
    OrganizationPhotoCache cache(folder, loop.executor());
    EXPECT_FALSE(cache.photo("dev-1"));
    EXPECT_FALSE(cache.version("dev-1"));

    fs::create_directories(folder / "dev-1");
    fs::create_directories(folder / "dev-1.version");
    EXPECT_FALSE(cache.photo("dev-1"));
    EXPECT_FALSE(cache.version("dev-1"));

    // A file larger than any picture saved is not read into memory.
    fs::path huge = folder / "dev-2";
    writeFile(huge, "");
    fs::resize_file(huge, OrganizationPhotoCache::maximumFileSize + 1);
    EXPECT_FALSE(cache.photo("dev-2"));

    // Pipes without a writer in the files' places: reading them must not wait for one.
    ASSERT_EQ(::mkfifo((folder / "dev-3").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder / "dev-3.version").c_str(), 0600), 0);
    EXPECT_FALSE(cache.photo("dev-3"));
    EXPECT_FALSE(cache.version("dev-3"));
}

TEST_F(OrganizationPhotoCacheTest, FolderThatCannotBeCreatedThrows) {
    fs::create_directories(root / "data");
    writeFile(root / "data" / "Velto", "a file where the folder goes");
    OrganizationPhotoCache cache(folder, loop.executor());
    EXPECT_EQ(fileError([&] { sync(cache, "dev-1", "v1", fetching(picture("png"))); }),
              FileError::Case::createFolder);
    EXPECT_EQ(readFile(root / "data" / "Velto"), "a file where the folder goes");
}

TEST_F(OrganizationPhotoCacheTest, PictureThatCannotBeWrittenIsFetchedAgainNextTime) {
    auto cache = stocked("old", "v1");
    fs::remove(folder / "dev-1");
    fs::create_directories(folder / "dev-1" / "in-the-way");

    EXPECT_EQ(fileError([&] { sync(cache, "dev-1", "v2", fetching(picture("new"))); }),
              FileError::Case::write);
    EXPECT_FALSE(fs::exists(folder / "dev-1.version"));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    fs::remove_all(folder / "dev-1");
    EXPECT_EQ(sync(cache, "dev-1", "v1", fetching(picture("retry"))), PhotoChange::saved);
    EXPECT_EQ(fetches, 2);
}

TEST_F(OrganizationPhotoCacheTest, PictureThatCannotBeDeletedKeepsItsVersion) {
    OrganizationPhotoCache cache(folder, loop.executor());
    fs::create_directories(folder / "dev-1" / "in-the-way");
    writeFile(folder / "dev-1.version", "v1");

    EXPECT_EQ(fileError([&] { loop.run(cache.remove("dev-1")); }), FileError::Case::remove);
    EXPECT_EQ(readFile(folder / "dev-1.version"), "v1");
}

TEST_F(OrganizationPhotoCacheTest, LivesUnderTheDataFolder) {
    testing::ScopedEnvironmentVariable data("XDG_DATA_HOME", (root / "data").c_str());
    auto cache = OrganizationPhotoCache::applicationSupport(loop.executor());
    EXPECT_EQ(cache.directory(), root / "data" / "Velto" / "photos");
    // The folder comes with the first picture.
    EXPECT_FALSE(fs::exists(cache.directory()));
    EXPECT_EQ(sync(cache, "dev-1", "v1", fetching(picture("png"))), PhotoChange::saved);
    EXPECT_EQ(readFile(root / "data" / "Velto" / "photos" / "dev-1"), "png");
}

} // namespace
} // namespace velto
