#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentListStore.hpp"
#include "VeltoDevice/Enrollment/EnrollmentStore.hpp"
#include "VeltoDevice/Enrollment/SavedEnrollments.hpp"
#include "VeltoDevice/Support/FileError.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "EnrollmentFixtures.hpp"
#include "InMemoryKeyring.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using testing::enrollmentErrorOf;
using testing::InMemoryKeyring;
using testing::InMemoryKeyStorage;
using testing::namesIn;
using testing::readFile;
using testing::sampleEnrollment;
using testing::TemporaryFolder;
using testing::writeFile;

using namespace std::chrono_literals;

struct InjectedFailure : std::runtime_error {
    InjectedFailure() : std::runtime_error("injected") {}
};

std::exception_ptr injected() {
    return std::make_exception_ptr(InjectedFailure());
}

std::chrono::system_clock::time_point fixedNow() {
    return std::chrono::system_clock::time_point(1700000000s);
}

const std::string kListAside = "enrollments.damaged-1700000000.json";
const std::string kEarlierAside = "enrollment.damaged-1700000000.json";

/// The real list file, with saves counted and failing on demand.
class ObservedList final : public EnrollmentListStorage {
public:
    explicit ObservedList(std::filesystem::path file) : inner_(std::move(file), fixedNow) {}

    std::vector<Enrollment> load() const override { return inner_.load(); }
    void save(const std::vector<Enrollment>& enrollments) override {
        ++saves;
        if (saveError)
            std::rethrow_exception(saveError);
        inner_.save(enrollments);
    }
    void setAsideCorrupt() override { inner_.setAsideCorrupt(); }

    int saves = 0;
    std::exception_ptr saveError;

private:
    EnrollmentListStore inner_;
};

/// The real earlier file, whose removal can fail on demand.
class ObservedEarlierFile final : public EnrollmentStorage {
public:
    explicit ObservedEarlierFile(std::filesystem::path file) : inner_(std::move(file), fixedNow) {}

    std::optional<Enrollment> load() const override { return inner_.load(); }
    void save(const Enrollment& enrollment) override { inner_.save(enrollment); }
    void remove() override {
        if (removeError)
            std::rethrow_exception(removeError);
        inner_.remove();
    }
    void setAsideCorrupt() override { inner_.setAsideCorrupt(); }

    std::exception_ptr removeError;

private:
    EnrollmentStore inner_;
};

class SavedEnrollmentsTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    std::filesystem::path velto = folder / "Velto";
    std::filesystem::path file = velto / "enrollments.json";
    std::shared_ptr<InMemoryKeyring> keyring = std::make_shared<InMemoryKeyring>();
    std::shared_ptr<ObservedList> list = std::make_shared<ObservedList>(file);
    SavedEnrollments saved{keyring, list};

    static Bytes key(const char* text) { return toBytes(text); }

    /// Writes the list file directly, keys included, as an earlier run would have left it.
    void arrange(const std::vector<Enrollment>& enrollments) {
        EnrollmentListStore(file).save(enrollments);
        for (const auto& enrollment : enrollments)
            keyring->storage(enrollment.deviceId)
                ->setContents(key(("key of " + enrollment.deviceId).c_str()));
    }

    std::vector<Enrollment> onDisk() const { return EnrollmentListStore(file).load(); }
};

// Adding.

TEST_F(SavedEnrollmentsTest, FirstAddCreatesTheFolderAndTheFile) {
    EXPECT_TRUE(saved.load().empty());
    EXPECT_FALSE(saved.add(sampleEnrollment("d1"), key("k1")));
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("d1")});
    EXPECT_EQ(keyring->contents(), (std::map<std::string, Bytes>{{"d1", key("k1")}}));
}

TEST_F(SavedEnrollmentsTest, ANewOrganizationGoesFirst) {
    arrange({sampleEnrollment("d1", "org-1"), sampleEnrollment("d2", "org-2")});
    EXPECT_FALSE(saved.add(sampleEnrollment("d3", "org-3"), key("k3")));
    EXPECT_EQ(onDisk(),
              (std::vector<Enrollment>{sampleEnrollment("d3", "org-3"), sampleEnrollment("d1", "org-1"),
                                       sampleEnrollment("d2", "org-2")}));
}

TEST_F(SavedEnrollmentsTest, TheSameOrganizationIsReplacedInPlaceAndItsOldKeyDeleted) {
    arrange(
        {sampleEnrollment("d1", "org-1"), sampleEnrollment("d2", "org-2"), sampleEnrollment("d3", "org-3")});
    auto replacement = sampleEnrollment("d9", "org-2");
    replacement.organization.name = "Renamed";
    EXPECT_EQ(saved.add(replacement, key("k9")), sampleEnrollment("d2", "org-2"));
    EXPECT_EQ(onDisk(), (std::vector<Enrollment>{sampleEnrollment("d1", "org-1"), replacement,
                                                 sampleEnrollment("d3", "org-3")}));
    EXPECT_EQ(keyring->storage("d9")->contents(), key("k9"));
    EXPECT_FALSE(keyring->storage("d2")->contents());
}

TEST_F(SavedEnrollmentsTest, OnlyTheFirstOfTwoRecordsOfTheOrganizationIsReplaced) {
    arrange({sampleEnrollment("d1", "org-1"), sampleEnrollment("d2", "org-1")});
    EXPECT_EQ(saved.add(sampleEnrollment("d3", "org-1"), key("k3")), sampleEnrollment("d1", "org-1"));
    EXPECT_EQ(onDisk(),
              (std::vector<Enrollment>{sampleEnrollment("d3", "org-1"), sampleEnrollment("d2", "org-1")}));
}

TEST_F(SavedEnrollmentsTest, ReplacingTheSameDeviceIdKeepsTheNewKey) {
    arrange({sampleEnrollment("d1", "org-1")});
    auto again = sampleEnrollment("d1", "org-1");
    again.user.name = "Ada King";
    EXPECT_EQ(saved.add(again, key("new")), sampleEnrollment("d1", "org-1"));
    EXPECT_EQ(keyring->storage("d1")->contents(), key("new"));
    EXPECT_EQ(keyring->storage("d1")->removeCount(), 0);
}

TEST_F(SavedEnrollmentsTest, AFailedKeyWriteLeavesTheListAsItWas) {
    arrange({sampleEnrollment("d1")});
    auto before = readFile(file);
    keyring->storage("d2")->failWrites(injected());
    EXPECT_THROW(saved.add(sampleEnrollment("d2", "org-2"), key("k2")), InjectedFailure);
    EXPECT_EQ(list->saves, 0);
    EXPECT_EQ(readFile(file), before);
}

TEST_F(SavedEnrollmentsTest, AFailedSaveTakesTheNewKeyBackOut) {
    arrange({sampleEnrollment("d1")});
    list->saveError = injected();
    EXPECT_THROW(saved.add(sampleEnrollment("d2", "org-2"), key("k2")), InjectedFailure);
    EXPECT_FALSE(keyring->storage("d2")->contents());
    EXPECT_EQ(keyring->storage("d1")->contents(), key("key of d1"));
}

TEST_F(SavedEnrollmentsTest, AFailedSaveOverTheSameDeviceIdRestoresItsKey) {
    // The record stays listed after the failure, so it must keep the key it had.
    arrange({sampleEnrollment("d1")});
    list->saveError = injected();
    EXPECT_THROW(saved.add(sampleEnrollment("d1"), key("new")), InjectedFailure);
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("d1")});
    EXPECT_EQ(keyring->storage("d1")->contents(), key("key of d1"));
}

/// One key item that fails its next write the way the login keychain can: the old data is deleted,
/// then the new data is not added.
class HalfWritingKeyring final : public DeviceKeyring {
public:
    struct Item final : DeviceKeyStorage {
        std::optional<Bytes> data;
        bool failNextWrite = true;

        std::optional<Bytes> read() const override { return data; }
        void write(const Bytes& bytes) override {
            data.reset();
            if (std::exchange(failNextWrite, false))
                throw InjectedFailure();
            data = bytes;
        }
        void remove() override { data.reset(); }
    };

    std::shared_ptr<DeviceKeyStorage> item(const std::string&) const override { return shared; }

    std::shared_ptr<Item> shared = std::make_shared<Item>();
};

TEST_F(SavedEnrollmentsTest, AHalfDoneKeyWriteOverTheSameDeviceIdRestoresItsKey) {
    EnrollmentListStore(file).save({sampleEnrollment("d1")});
    auto halfWriting = std::make_shared<HalfWritingKeyring>();
    halfWriting->shared->data = key("old");
    SavedEnrollments overHalfWriting{halfWriting, list};
    EXPECT_THROW(overHalfWriting.add(sampleEnrollment("d1"), key("new")), InjectedFailure);
    EXPECT_EQ(halfWriting->shared->data, key("old"));
    EXPECT_EQ(list->saves, 0);
}

TEST_F(SavedEnrollmentsTest, AKeyThatCannotBeReadBeforeReplacingStopsTheAdd) {
    arrange({sampleEnrollment("d1")});
    keyring->storage("d1")->failReads(injected());
    EXPECT_THROW(saved.add(sampleEnrollment("d1"), key("new")), InjectedFailure);
    EXPECT_EQ(keyring->storage("d1")->contents(), key("key of d1"));
    EXPECT_EQ(list->saves, 0);
}

TEST_F(SavedEnrollmentsTest, TheOldKeysDeletionMayFail) {
    arrange({sampleEnrollment("d1")});
    keyring->storage("d1")->failRemoves(injected());
    EXPECT_EQ(saved.add(sampleEnrollment("d2"), key("k2")), sampleEnrollment("d1"));
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("d2")});
}

// Damaged and unreadable lists.

TEST_F(SavedEnrollmentsTest, ADamagedListIsReportedByLoadAndLeftInPlace) {
    writeFile(file, "not json");
    EXPECT_EQ(enrollmentErrorOf([&] { saved.load(); }), EnrollmentError::Case::corruptEnrollments);
    EXPECT_EQ(namesIn(velto), std::vector<std::string>{"enrollments.json"});
}

TEST_F(SavedEnrollmentsTest, AddSetsADamagedListAsideAndSavesTheNewEnrollmentAlone) {
    writeFile(file, R"([{"deviceId": "lost"}])");
    EXPECT_FALSE(saved.add(sampleEnrollment("d1"), key("k1")));
    EXPECT_EQ(namesIn(velto), (std::vector<std::string>{kListAside, "enrollments.json"}));
    EXPECT_EQ(readFile(velto / kListAside), R"([{"deviceId": "lost"}])");
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("d1")});
}

TEST_F(SavedEnrollmentsTest, AListTooLargeToReadIsDamagedAndSetAsideWhole) {
    const std::string content = "[]" + std::string(EnrollmentStore::maximumFileSize - 1, ' ');
    writeFile(file, content);
    EXPECT_EQ(enrollmentErrorOf([&] { saved.load(); }), EnrollmentError::Case::corruptEnrollments);
    EXPECT_FALSE(saved.add(sampleEnrollment("d1"), key("k1")));
    EXPECT_EQ(namesIn(velto), (std::vector<std::string>{kListAside, "enrollments.json"}));
    EXPECT_EQ(std::filesystem::file_size(velto / kListAside), content.size());
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("d1")});
}

TEST_F(SavedEnrollmentsTest, RemoveSetsADamagedListAsideToo) {
    writeFile(file, "not json");
    saved.remove(sampleEnrollment("d1"));
    EXPECT_EQ(namesIn(velto), (std::vector<std::string>{kListAside, "enrollments.json"}));
    EXPECT_TRUE(onDisk().empty());
}

TEST_F(SavedEnrollmentsTest, ASetAsideThatWouldReplaceAnEarlierOneStopsTheAdd) {
    writeFile(velto / kListAside, "first");
    writeFile(file, "second");
    EXPECT_THROW(saved.add(sampleEnrollment("d1"), key("k1")), FileError);
    EXPECT_EQ(readFile(velto / kListAside), "first");
    EXPECT_EQ(readFile(file), "second");
    EXPECT_TRUE(keyring->contents().empty());
}

TEST_F(SavedEnrollmentsTest, AnUnreadableListFailsEveryOperationAndIsNeverSetAside) {
    std::filesystem::create_directories(file);
    DeviceProfile profile{{"org-1", "Acme", {}}, {"ada", {}, {}}};
    EXPECT_EQ(enrollmentErrorOf([&] { saved.load(); }), EnrollmentError::Case::unreadableEnrollment);
    EXPECT_EQ(enrollmentErrorOf([&] { saved.add(sampleEnrollment("d1"), key("k1")); }),
              EnrollmentError::Case::unreadableEnrollment);
    EXPECT_EQ(enrollmentErrorOf([&] { saved.refresh("d1", profile); }),
              EnrollmentError::Case::unreadableEnrollment);
    EXPECT_EQ(enrollmentErrorOf([&] { saved.remove(sampleEnrollment("d1")); }),
              EnrollmentError::Case::unreadableEnrollment);
    EXPECT_EQ(namesIn(velto), std::vector<std::string>{"enrollments.json"});
    EXPECT_TRUE(keyring->contents().empty());
}

// Refreshing.

TEST_F(SavedEnrollmentsTest, RefreshRewritesTheRecordInPlace) {
    arrange({sampleEnrollment("d1", "org-1"), sampleEnrollment("d2", "org-2")});
    DeviceProfile profile{{"org-2", "Renamed", "v2"}, {"ada", "Ada", {}}};
    auto expected = sampleEnrollment("d2", "org-2").updated(profile);
    EXPECT_EQ(saved.refresh("d2", profile), expected);
    EXPECT_EQ(onDisk(), (std::vector<Enrollment>{sampleEnrollment("d1", "org-1"), expected}));
}

TEST_F(SavedEnrollmentsTest, RefreshWritesNothingWhenNothingChanges) {
    arrange({sampleEnrollment("d1", "org-1")});
    auto record = sampleEnrollment("d1", "org-1");
    DeviceProfile same{{"org-1", record.organization.name, "v1"},
                       {"ada", record.user.name, record.user.avatarURL}};
    DeviceProfile otherOrganization{{"org-2", "Other", {}}, {"bob", {}, {}}};
    EXPECT_FALSE(saved.refresh("d1", same));
    EXPECT_FALSE(saved.refresh("d1", otherOrganization));
    EXPECT_FALSE(saved.refresh("unknown", same));
    EXPECT_EQ(list->saves, 0);
}

TEST_F(SavedEnrollmentsTest, RefreshReportsADamagedListAndLeavesIt) {
    writeFile(file, "not json");
    DeviceProfile profile{{"org-1", "Acme", {}}, {"ada", {}, {}}};
    EXPECT_EQ(enrollmentErrorOf([&] { saved.refresh("d1", profile); }),
              EnrollmentError::Case::corruptEnrollments);
    EXPECT_EQ(namesIn(velto), std::vector<std::string>{"enrollments.json"});
}

// Removing.

TEST_F(SavedEnrollmentsTest, RemoveDropsEveryRecordOfTheDeviceIdThenItsKey) {
    arrange(
        {sampleEnrollment("d1", "org-1"), sampleEnrollment("d2", "org-2"), sampleEnrollment("d1", "org-3")});
    saved.remove(sampleEnrollment("d1"));
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("d2", "org-2")});
    EXPECT_FALSE(keyring->storage("d1")->contents());
    EXPECT_TRUE(keyring->storage("d2")->contents());
}

TEST_F(SavedEnrollmentsTest, RemovingWhatIsNotListedStillSavesAndDeletesTheKey) {
    arrange({sampleEnrollment("d1")});
    keyring->storage("stray")->setContents(key("stray"));
    saved.remove(sampleEnrollment("stray"));
    EXPECT_EQ(list->saves, 1);
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("d1")});
    EXPECT_FALSE(keyring->storage("stray")->contents());
}

TEST_F(SavedEnrollmentsTest, AFailedSaveOnRemoveKeepsTheKey) {
    arrange({sampleEnrollment("d1")});
    list->saveError = injected();
    EXPECT_THROW(saved.remove(sampleEnrollment("d1")), InjectedFailure);
    EXPECT_EQ(keyring->storage("d1")->contents(), key("key of d1"));
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("d1")});
}

TEST_F(SavedEnrollmentsTest, AKeyThatCannotBeDeletedDoesNotFailTheRemove) {
    arrange({sampleEnrollment("d1")});
    keyring->storage("d1")->failRemoves(injected());
    saved.remove(sampleEnrollment("d1"));
    EXPECT_TRUE(onDisk().empty());
}

// Moving the earlier single enrollment.

class EarlierEnrollmentTest : public SavedEnrollmentsTest {
protected:
    std::filesystem::path earlierFile = velto / "enrollment.json";
    ObservedEarlierFile earlier{earlierFile};
    InMemoryKeyStorage earlierKey;

    void arrangeEarlier(const Enrollment& enrollment, std::optional<Bytes> keyData) {
        EnrollmentStore(earlierFile).save(enrollment);
        earlierKey.setContents(std::move(keyData));
    }
};

TEST_F(EarlierEnrollmentTest, NothingToMoveChangesNothing) {
    arrange({sampleEnrollment("d1")});
    earlierKey.setContents(key("orphan"));
    saved.moveEarlierEnrollment(earlier, earlierKey);
    EXPECT_EQ(list->saves, 0);
    EXPECT_EQ(earlierKey.contents(), key("orphan"));
}

TEST_F(EarlierEnrollmentTest, TheEarlierEnrollmentGoesFirstWithItsKey) {
    arrange({sampleEnrollment("d1", "org-1")});
    arrangeEarlier(sampleEnrollment("old", "org-0"), key("old key"));
    saved.moveEarlierEnrollment(earlier, earlierKey);
    EXPECT_EQ(onDisk(),
              (std::vector<Enrollment>{sampleEnrollment("old", "org-0"), sampleEnrollment("d1", "org-1")}));
    EXPECT_EQ(keyring->storage("old")->contents(), key("old key"));
    EXPECT_FALSE(std::filesystem::exists(earlierFile));
    EXPECT_FALSE(earlierKey.contents());

    // Once moved, nothing is left to move.
    saved.moveEarlierEnrollment(earlier, earlierKey);
    EXPECT_EQ(list->saves, 1);
}

TEST_F(EarlierEnrollmentTest, WithoutAnEarlierKeyTheEnrollmentIsStillMoved) {
    arrangeEarlier(sampleEnrollment("old"), std::nullopt);
    saved.moveEarlierEnrollment(earlier, earlierKey);
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("old")});
    EXPECT_EQ(keyring->storage("old")->writeCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(earlierFile));
}

TEST_F(EarlierEnrollmentTest, AnAlreadyListedDeviceIdOnlyDeletesTheEarlierFileAndKey) {
    arrange({sampleEnrollment("old", "org-1")});
    auto earlierRecord = sampleEnrollment("old", "org-1");
    earlierRecord.organization.name = "Earlier name";
    arrangeEarlier(earlierRecord, key("earlier key"));
    saved.moveEarlierEnrollment(earlier, earlierKey);
    EXPECT_EQ(list->saves, 0);
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("old", "org-1")});
    EXPECT_EQ(keyring->storage("old")->contents(), key("key of old"));
    EXPECT_FALSE(std::filesystem::exists(earlierFile));
    EXPECT_FALSE(earlierKey.contents());
}

TEST_F(EarlierEnrollmentTest, ADamagedEarlierFileIsSetAsideAndItsKeyDeleted) {
    writeFile(earlierFile, "{");
    earlierKey.setContents(key("earlier key"));
    EXPECT_EQ(enrollmentErrorOf([&] { saved.moveEarlierEnrollment(earlier, earlierKey); }),
              EnrollmentError::Case::corruptEnrollment);
    EXPECT_EQ(namesIn(velto), std::vector<std::string>{kEarlierAside});
    EXPECT_FALSE(earlierKey.contents());
    EXPECT_EQ(list->saves, 0);
}

TEST_F(EarlierEnrollmentTest, AnEarlierFileTooLargeToReadIsDamagedAndSetAsideWhole) {
    std::string content = EnrollmentStore::encode(sampleEnrollment("old"));
    content += std::string(EnrollmentStore::maximumFileSize + 1 - content.size(), ' ');
    writeFile(earlierFile, content);
    earlierKey.setContents(key("earlier key"));
    EXPECT_EQ(enrollmentErrorOf([&] { saved.moveEarlierEnrollment(earlier, earlierKey); }),
              EnrollmentError::Case::corruptEnrollment);
    EXPECT_EQ(namesIn(velto), std::vector<std::string>{kEarlierAside});
    EXPECT_EQ(std::filesystem::file_size(velto / kEarlierAside), content.size());
    EXPECT_EQ(list->saves, 0);
}

TEST_F(EarlierEnrollmentTest, AFailedSetAsideKeepsTheEarlierKey) {
    writeFile(earlierFile, "{");
    writeFile(velto / kEarlierAside, "first");
    earlierKey.setContents(key("earlier key"));
    EXPECT_THROW(saved.moveEarlierEnrollment(earlier, earlierKey), FileError);
    EXPECT_EQ(earlierKey.contents(), key("earlier key"));
    EXPECT_EQ(readFile(velto / kEarlierAside), "first");
}

TEST_F(EarlierEnrollmentTest, ADamagedListStopsTheMoveAndIsLeftInPlace) {
    writeFile(file, "not json");
    arrangeEarlier(sampleEnrollment("old"), key("old key"));
    EXPECT_EQ(enrollmentErrorOf([&] { saved.moveEarlierEnrollment(earlier, earlierKey); }),
              EnrollmentError::Case::corruptEnrollments);
    EXPECT_EQ(namesIn(velto), (std::vector<std::string>{"enrollment.json", "enrollments.json"}));
    EXPECT_EQ(earlierKey.contents(), key("old key"));
    EXPECT_TRUE(keyring->contents().empty());
}

TEST_F(EarlierEnrollmentTest, AFailedSaveTakesTheMovedKeyBackOut) {
    arrangeEarlier(sampleEnrollment("old"), key("old key"));
    list->saveError = injected();
    EXPECT_THROW(saved.moveEarlierEnrollment(earlier, earlierKey), InjectedFailure);
    EXPECT_FALSE(keyring->storage("old")->contents());
    EXPECT_TRUE(std::filesystem::exists(earlierFile));
    EXPECT_EQ(earlierKey.contents(), key("old key"));
}

TEST_F(EarlierEnrollmentTest, FailuresBeforeTheMoveChangeNothing) {
    arrangeEarlier(sampleEnrollment("old"), key("old key"));
    earlierKey.failReads(injected());
    EXPECT_THROW(saved.moveEarlierEnrollment(earlier, earlierKey), InjectedFailure);
    earlierKey.failReads(nullptr);

    keyring->storage("old")->failWrites(injected());
    EXPECT_THROW(saved.moveEarlierEnrollment(earlier, earlierKey), InjectedFailure);

    EXPECT_EQ(list->saves, 0);
    EXPECT_TRUE(std::filesystem::exists(earlierFile));
    EXPECT_EQ(earlierKey.contents(), key("old key"));
}

TEST_F(EarlierEnrollmentTest, AnEarlierFileThatCannotBeDeletedKeepsTheEarlierKey) {
    arrangeEarlier(sampleEnrollment("old"), key("old key"));
    earlier.removeError = injected();
    EXPECT_THROW(saved.moveEarlierEnrollment(earlier, earlierKey), InjectedFailure);
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("old")});
    EXPECT_EQ(earlierKey.contents(), key("old key"));

    // The next launch finishes the move without adding the enrollment twice.
    earlier.removeError = nullptr;
    saved.moveEarlierEnrollment(earlier, earlierKey);
    EXPECT_EQ(onDisk(), std::vector<Enrollment>{sampleEnrollment("old")});
    EXPECT_FALSE(earlierKey.contents());
}

TEST_F(EarlierEnrollmentTest, AnUnreadableEarlierFileIsReportedAndKept) {
    std::filesystem::create_directories(earlierFile);
    earlierKey.setContents(key("old key"));
    EXPECT_EQ(enrollmentErrorOf([&] { saved.moveEarlierEnrollment(earlier, earlierKey); }),
              EnrollmentError::Case::unreadableEnrollment);
    EXPECT_EQ(earlierKey.contents(), key("old key"));
    EXPECT_TRUE(std::filesystem::is_directory(earlierFile));
}

} // namespace
} // namespace velto
