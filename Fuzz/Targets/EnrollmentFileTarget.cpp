#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentListStore.hpp"
#include "VeltoDevice/Enrollment/EnrollmentStore.hpp"

#include <optional>
#include <vector>

#include "Targets/PropertyViolation.hpp"
#include "Targets/Targets.hpp"

namespace velto::fuzz {

namespace {

/// What `decode` gives, or nothing when it refuses the text as damaged in the way `damaged` names.
template <typename Decode>
auto decodedOrDamaged(Decode decode, std::string_view text, EnrollmentError::Case damaged)
    -> std::optional<decltype(decode(text))> {
    try {
        return decode(text);
    } catch (const EnrollmentError& error) {
        require(error.kind() == damaged, "a saved file fails only as damaged");
        return std::nullopt;
    }
}

} // namespace

void runEnrollmentFile(std::string_view input) {
    auto decodeList = [](std::string_view text) { return EnrollmentListStore::decode(text); };
    if (auto list = decodedOrDamaged(decodeList, input, EnrollmentError::Case::corruptEnrollments)) {
        auto again = decodedOrDamaged(decodeList, EnrollmentListStore::encode(*list),
                                      EnrollmentError::Case::corruptEnrollments);
        require(again == list, "a saved list reads back as itself");
    }
    auto decodeOne = [](std::string_view text) { return EnrollmentStore::decode(text); };
    if (auto enrollment = decodedOrDamaged(decodeOne, input, EnrollmentError::Case::corruptEnrollment)) {
        auto again = decodedOrDamaged(decodeOne, EnrollmentStore::encode(*enrollment),
                                      EnrollmentError::Case::corruptEnrollment);
        require(again == enrollment, "a saved record reads back as itself");
    }
}

} // namespace velto::fuzz
