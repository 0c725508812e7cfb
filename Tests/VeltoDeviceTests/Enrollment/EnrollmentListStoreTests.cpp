#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentListStore.hpp"
#include "VeltoDevice/Enrollment/EnrollmentStore.hpp"
#include "VeltoDevice/Support/FileError.hpp"
#include "VeltoDevice/Support/Files.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include "EnrollmentFixtures.hpp"
#include "ScopedEnvironmentVariable.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using testing::enrollmentErrorOf;
using testing::namesIn;
using testing::readFile;
using testing::sampleEnrollment;
using testing::TemporaryFolder;
using testing::writeFile;

using namespace std::chrono_literals;

/// 1700000000.9 s after 1970: set-aside names truncate it to 1700000000.
std::chrono::system_clock::time_point fixedNow() {
    return std::chrono::system_clock::time_point(1700000000s + 900ms);
}

class EnrollmentListStoreTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    std::filesystem::path file = folder / "Velto" / "enrollments.json";
    EnrollmentListStore store{file, fixedNow};
};

TEST_F(EnrollmentListStoreTest, NoFileLoadsEmptyAndCreatesNothing) {
    EXPECT_TRUE(store.load().empty());
    EXPECT_FALSE(std::filesystem::exists(folder / "Velto"));
}

TEST_F(EnrollmentListStoreTest, EmptyArrayLoadsEmpty) {
    writeFile(file, " [ ]\n");
    EXPECT_TRUE(store.load().empty());
}

TEST_F(EnrollmentListStoreTest, DamagedListsAreCorrupt) {
    const std::string valid = sampleEnrollment().toJson().dump();
    const std::string damaged[] = {
        "not json",
        "",
        "{}",
        valid,
        "[" + valid + ", {\"server\": {\"baseURL\": \"https://velto.example\"}}]",
        R"([{"server": {"baseURL": "http://velto.example"}, "deviceId": "d", "organization": {"id": "o",
            "name": "n"}, "user": {"login": "l"}}])",
        "[\"\xFF\"]",
        // A record whose server holds 150,000 levels: it must not be written out again anywhere.
        R"([{"server": {"baseURL": )" + std::string(150000, '[') + std::string(150000, ']') +
            R"(}, "deviceId": "d", "organization": {"id": "o", "name": "n"}, "user": {"login": "l"}})",
        // Larger than any list of ours: not read to the end.
        "[]" + std::string(EnrollmentStore::maximumFileSize - 1, ' '),
    };
    for (const auto& content : damaged) {
        writeFile(file, content);
        EXPECT_EQ(enrollmentErrorOf([&] { store.load(); }), EnrollmentError::Case::corruptEnrollments)
            << content.substr(0, 80);
    }
}

TEST_F(EnrollmentListStoreTest, AListUpToTheSizeLimitIsRead) {
    const std::string valid = EnrollmentListStore::encode({sampleEnrollment()});
    writeFile(file, valid + std::string(EnrollmentStore::maximumFileSize - valid.size(), '\n'));
    EXPECT_EQ(store.load(), std::vector<Enrollment>{sampleEnrollment()});
}

TEST_F(EnrollmentListStoreTest, AFileThatCannotBeReadIsUnreadable) {
    std::filesystem::create_directories(file);
    EXPECT_EQ(enrollmentErrorOf([&] { store.load(); }), EnrollmentError::Case::unreadableEnrollment);

    // A pipe in the file's place has no writer: reading it must not wait for one.
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(enrollmentErrorOf([&] { store.load(); }), EnrollmentError::Case::unreadableEnrollment);
}

TEST_F(EnrollmentListStoreTest, SaveCreatesTheFolderAndKeepsTheOrder) {
    std::vector<Enrollment> list{sampleEnrollment("b", "org-b"), sampleEnrollment("a", "org-a")};
    store.save(list);
    EXPECT_EQ(store.load(), list);
    EXPECT_EQ(namesIn(folder / "Velto"), std::vector<std::string>{"enrollments.json"});
}

TEST_F(EnrollmentListStoreTest, FileIsPrettyPrintedWithSortedKeys) {
    store.save({sampleEnrollment()});
    auto text = readFile(file);
    EXPECT_EQ(*parseJson(text), Json::array({sampleEnrollment().toJson()}));
    EXPECT_NE(text.find("\n  "), std::string::npos) << text;
    auto position = [&](const char* key) { return text.find(std::string("\"") + key + "\""); };
    EXPECT_LT(position("deviceId"), position("organization"));
    EXPECT_LT(position("organization"), position("server"));
    EXPECT_LT(position("server"), position("user"));
    EXPECT_LT(position("email"), position("login"));
}

TEST_F(EnrollmentListStoreTest, SaveReplacesTheWholeFile) {
    store.save({sampleEnrollment("a"), sampleEnrollment("b", "org-b")});
    store.save({sampleEnrollment("c")});
    EXPECT_EQ(store.load(), std::vector<Enrollment>{sampleEnrollment("c")});
    EXPECT_EQ(namesIn(folder / "Velto"), std::vector<std::string>{"enrollments.json"});
}

TEST_F(EnrollmentListStoreTest, SaveFailsWhenAFileHoldsTheFolderPlace) {
    writeFile(folder / "Velto", "a file");
    try {
        store.save({sampleEnrollment()});
        FAIL() << "saved";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Case::createFolder);
        EXPECT_EQ(error.path(), (folder / "Velto").string());
    }
    EXPECT_EQ(readFile(folder / "Velto"), "a file");
}

TEST_F(EnrollmentListStoreTest, AFailedWriteLeavesNoTemporaryFile) {
    // A non-empty folder where the file goes: the rename over it is refused.
    writeFile(file / "inside", "x");
    try {
        store.save({sampleEnrollment()});
        FAIL() << "saved";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Case::write);
        EXPECT_EQ(error.path(), file.string());
        EXPECT_EQ(std::string(error.what()),
                  "The system did not save " + file.string() + ": " + error.detail() + ".");
    }
    EXPECT_EQ(namesIn(folder / "Velto"), std::vector<std::string>{"enrollments.json"});
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(EnrollmentListStoreTest, SetAsideNamesTheFileByTheWholeSeconds) {
    writeFile(file, "damaged");
    store.setAsideCorrupt();
    EXPECT_EQ(namesIn(folder / "Velto"), std::vector<std::string>{"enrollments.damaged-1700000000.json"});
    EXPECT_EQ(readFile(folder / "Velto" / "enrollments.damaged-1700000000.json"), "damaged");
}

TEST_F(EnrollmentListStoreTest, SetAsideNeverReplacesAnEarlierSetAside) {
    writeFile(folder / "Velto" / "enrollments.damaged-1700000000.json", "first");
    writeFile(file, "second");
    try {
        store.setAsideCorrupt();
        FAIL() << "set aside";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Case::setAside);
    }
    EXPECT_EQ(readFile(folder / "Velto" / "enrollments.damaged-1700000000.json"), "first");
    EXPECT_EQ(readFile(file), "second");
}

class EnrollmentStoreTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    std::filesystem::path file = folder / "Velto" / "enrollment.json";
    EnrollmentStore store{file, fixedNow};
};

TEST_F(EnrollmentStoreTest, LoadsNothingOneRecordOrAnError) {
    EXPECT_FALSE(store.load());
    store.save(sampleEnrollment());
    EXPECT_EQ(store.load(), sampleEnrollment());

    writeFile(file, "[]");
    EXPECT_EQ(enrollmentErrorOf([&] { store.load(); }), EnrollmentError::Case::corruptEnrollment);
    const std::string valid = EnrollmentStore::encode(sampleEnrollment());
    writeFile(file, valid + std::string(EnrollmentStore::maximumFileSize + 1 - valid.size(), ' '));
    EXPECT_EQ(enrollmentErrorOf([&] { store.load(); }), EnrollmentError::Case::corruptEnrollment);
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    EXPECT_EQ(enrollmentErrorOf([&] { store.load(); }), EnrollmentError::Case::unreadableEnrollment);
}

TEST_F(EnrollmentStoreTest, RemoveDeletesTheFileAndNothingIsSuccess) {
    store.remove();
    store.save(sampleEnrollment());
    store.remove();
    EXPECT_FALSE(std::filesystem::exists(file));

    writeFile(file / "inside", "x");
    try {
        store.remove();
        FAIL() << "removed a folder";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Case::remove);
    }
}

TEST_F(EnrollmentStoreTest, SetAsideKeepsTheName) {
    writeFile(file, "damaged");
    store.setAsideCorrupt();
    EXPECT_EQ(namesIn(folder / "Velto"), std::vector<std::string>{"enrollment.damaged-1700000000.json"});
}

TEST(EnrollmentFolder, DataHomeIsCreatedButNotVeltosFolder) {
    TemporaryFolder folder;
    auto dataHome = folder / "data";
    testing::ScopedEnvironmentVariable variable("XDG_DATA_HOME", dataHome.c_str());
    EXPECT_EQ(EnrollmentListStore::applicationSupport().filePath(), dataHome / "Velto" / "enrollments.json");
    EXPECT_EQ(EnrollmentStore::applicationSupport().filePath(), dataHome / "Velto" / "enrollment.json");
    EXPECT_EQ(files::applicationSupportFile("photos"), dataHome / "Velto" / "photos");
    EXPECT_TRUE(std::filesystem::is_directory(dataHome));
    EXPECT_FALSE(std::filesystem::exists(dataHome / "Velto"));
}

TEST(EnrollmentFolder, WithoutAnAbsoluteDataHomeTheHomeFolderIsUsed) {
    TemporaryFolder folder;
    testing::ScopedEnvironmentVariable home("HOME", folder.path().c_str());
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/data"}) {
        testing::ScopedEnvironmentVariable variable("XDG_DATA_HOME", value);
        EXPECT_EQ(EnrollmentListStore::applicationSupport().filePath(),
                  folder / ".local" / "share" / "Velto" / "enrollments.json");
    }
}

TEST(EnrollmentFolder, ADataHomeThatCannotBeMadeIsAnError) {
    TemporaryFolder folder;
    writeFile(folder / "file", "x");
    testing::ScopedEnvironmentVariable variable("XDG_DATA_HOME", (folder / "file" / "data").c_str());
    EXPECT_THROW(EnrollmentListStore::applicationSupport(), FileError);
}

} // namespace
} // namespace velto
