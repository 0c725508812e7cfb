#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Enrollment/EnrollmentError.hpp"

#include <algorithm>
#include <optional>

#include "Targets/PropertyViolation.hpp"
#include "Targets/Targets.hpp"

namespace velto::fuzz {

void runEnrollmentCode(std::string_view input) {
    std::optional<EnrollmentCode> code;
    try {
        code = EnrollmentCode::fromTyped(input);
    } catch (const EnrollmentError& error) {
        require(error.kind() == EnrollmentError::Case::invalidCode, "a code fails only as invalidCode");
        return;
    }
    constexpr std::string_view alphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
    const std::string& value = code->value();
    require(value.size() == 8 &&
                std::all_of(value.begin(), value.end(),
                            [&](char c) { return alphabet.find(c) != std::string_view::npos; }),
            "a code is 8 symbols of the alphabet");
    require(EnrollmentCode::fromTyped(value) == *code, "a normalised code normalises to itself");
    require(EnrollmentCode::fromTyped(code->displayValue()) == *code,
            "a code's display form reads as the code");
}

} // namespace velto::fuzz
