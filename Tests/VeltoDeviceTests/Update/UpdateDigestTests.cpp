#include "VeltoDevice/Update/UpdateDigest.hpp"

#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <system_error>

#include "TemporaryFolder.hpp"
#include "TestBundle.hpp"

namespace velto {
namespace {

TEST(UpdateDigest, HashesWholeFilesInChunks) {
    testing::TemporaryFolder folder;
    struct Case {
        std::string content;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // Exactly one chunk, then an empty read.
        {std::string(UpdateDigest::chunkSize, '\0'),
         "30e14955ebf1352266dc2ff8067e68104607e750abb9d3b36582b8af909fcb58"},
        {std::string(UpdateDigest::chunkSize + 1, '\0'),
         "2cb74edba754a81d121c9db6833704a8e7d417e5b13d1a19f4a52f007d644264"},
    };
    for (const auto& c : cases) {
        auto file = folder.path() / "archive";
        testing::TestBundle::writeFile(file, c.content);
        EXPECT_EQ(UpdateDigest::sha256Hex(file), c.digest) << c.content.size();
    }
}

TEST(UpdateDigest, ThrowsTheFileSystemsErrorAndStopsWhenAsked) {
    testing::TemporaryFolder folder;
    try {
        UpdateDigest::sha256Hex(folder.path() / "missing");
        FAIL() << "no error";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
    }
    EXPECT_THROW(UpdateDigest::sha256Hex(folder.path()), std::system_error);
    auto file = folder.path() / "archive";
    testing::TestBundle::writeFile(file, "abc");
    StopFlag stop;
    stop.request();
    EXPECT_THROW(UpdateDigest::sha256Hex(file, stop), boost::system::system_error);
}

} // namespace
} // namespace velto
