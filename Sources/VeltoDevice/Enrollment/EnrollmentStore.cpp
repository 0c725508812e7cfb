#include "VeltoDevice/Enrollment/EnrollmentStore.hpp"

#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <system_error>

namespace velto {

EnrollmentStore::EnrollmentStore(std::filesystem::path filePath, Now now)
    : filePath_(std::move(filePath)), now_(std::move(now)) {}

EnrollmentStore EnrollmentStore::applicationSupport() {
    return EnrollmentStore(files::applicationSupportFile("enrollment.json"));
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
    files::setAside(filePath_, now_());
}

} // namespace velto
