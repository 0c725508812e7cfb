#include "VeltoDevice/Enrollment/EnrollmentListStore.hpp"

#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/Files.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <system_error>

namespace velto {

EnrollmentListStore::EnrollmentListStore(std::filesystem::path filePath, EnrollmentStore::Now now)
    : filePath_(std::move(filePath)), now_(std::move(now)) {}

EnrollmentListStore EnrollmentListStore::applicationSupport() {
    return EnrollmentListStore(EnrollmentStore::applicationSupportFile("enrollments.json"));
}

std::vector<Enrollment> EnrollmentListStore::load() const {
    auto content = EnrollmentStore::readEnrollmentFile(filePath_);
    if (!content)
        return {};
    auto value = parseJson(*content);
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

void EnrollmentListStore::save(const std::vector<Enrollment>& enrollments) {
    Json list = Json::array();
    for (const auto& enrollment : enrollments)
        list.push_back(enrollment.toJson());
    files::createFolders(filePath_.parent_path());
    files::writeAtomically(filePath_, encodePretty(list));
}

void EnrollmentListStore::setAsideCorrupt() {
    EnrollmentStore::setAside(filePath_, now_());
}

} // namespace velto
