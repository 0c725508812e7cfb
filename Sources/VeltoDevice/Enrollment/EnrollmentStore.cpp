#include "VeltoDevice/Enrollment/EnrollmentStore.hpp"

#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/FileError.hpp"
#include "VeltoDevice/Enrollment/Files.hpp"
#include "VeltoDevice/Support/Json.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"

#include <system_error>

namespace velto {

namespace {

std::filesystem::path dataHome() {
    if (auto folder = UserFolders::dataHome())
        return *folder;
    throw FileError::noHomeFolder();
}

} // namespace

EnrollmentStore::EnrollmentStore(std::filesystem::path filePath, Now now)
    : filePath_(std::move(filePath)), now_(std::move(now)) {}

std::filesystem::path EnrollmentStore::applicationSupportFile(std::string_view name) {
    auto folder = dataHome();
    files::createFolders(folder);
    return folder / "Velto" / name;
}

EnrollmentStore EnrollmentStore::applicationSupport() {
    return EnrollmentStore(applicationSupportFile("enrollment.json"));
}

std::filesystem::path EnrollmentStore::setAside(const std::filesystem::path& file,
                                                std::chrono::system_clock::time_point now) {
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
    auto target =
        file.parent_path() / (file.stem().string() + ".damaged-" + std::to_string(seconds) + ".json");
    files::moveWithoutReplacing(file, target);
    return target;
}

std::optional<std::string> EnrollmentStore::readEnrollmentFile(const std::filesystem::path& file,
                                                               const EnrollmentError& damaged) {
    try {
        return files::readIfPresent(file, maximumFileSize);
    } catch (const std::system_error&) {
        throw EnrollmentError::unreadableEnrollment();
    } catch (const std::length_error&) {
        throw damaged;
    }
}

Enrollment EnrollmentStore::decode(std::string_view text) {
    auto value = parseJson(text);
    auto enrollment = value ? Enrollment::decode(*value) : std::nullopt;
    if (!enrollment)
        throw EnrollmentError::corruptEnrollment();
    return std::move(*enrollment);
}

std::string EnrollmentStore::encode(const Enrollment& enrollment) {
    return encodePretty(enrollment.toJson());
}

std::optional<Enrollment> EnrollmentStore::load() const {
    auto content = readEnrollmentFile(filePath_, EnrollmentError::corruptEnrollment());
    if (!content)
        return std::nullopt;
    return decode(*content);
}

void EnrollmentStore::save(const Enrollment& enrollment) {
    files::createFolders(filePath_.parent_path());
    files::writeAtomically(filePath_, encode(enrollment));
}

void EnrollmentStore::remove() {
    files::removeIfPresent(filePath_);
}

void EnrollmentStore::setAsideCorrupt() {
    setAside(filePath_, now_());
}

} // namespace velto
