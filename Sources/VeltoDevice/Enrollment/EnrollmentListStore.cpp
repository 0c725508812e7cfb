#include "VeltoDevice/Enrollment/EnrollmentListStore.hpp"

#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <system_error>

namespace velto {

EnrollmentListStore::EnrollmentListStore(std::filesystem::path filePath, EnrollmentStore::Now now)
    : filePath_(std::move(filePath)), now_(std::move(now)) {}

EnrollmentListStore EnrollmentListStore::applicationSupport() {
    return EnrollmentListStore(files::applicationSupportFile("enrollments.json"));
}

std::vector<Enrollment> EnrollmentListStore::decode(std::string_view text) {
    auto value = parseJson(text);
    if (!value || !value->is_array())
        throw EnrollmentError::corruptEnrollments();
    std::vector<Enrollment> enrollments;
    enrollments.reserve(value->size());
    for (const auto& element : *value) {
        auto enrollment = Enrollment::decode(element);
        if (!enrollment)
            throw EnrollmentError::corruptEnrollments();
        enrollments.push_back(std::move(*enrollment));
    }
    return enrollments;
}

std::string EnrollmentListStore::encode(const std::vector<Enrollment>& enrollments) {
    Json list = Json::array();
    for (const auto& enrollment : enrollments)
        list.push_back(enrollment.toJson());
    return encodePretty(list);
}

std::vector<Enrollment> EnrollmentListStore::load() const {
    auto content = EnrollmentStore::readEnrollmentFile(filePath_, EnrollmentError::corruptEnrollments());
    if (!content)
        return {};
    return decode(*content);
}

void EnrollmentListStore::save(const std::vector<Enrollment>& enrollments) {
    files::createFolders(filePath_.parent_path());
    files::writeAtomically(filePath_, encode(enrollments));
}

void EnrollmentListStore::setAsideCorrupt() {
    files::setAside(filePath_, now_());
}

} // namespace velto
