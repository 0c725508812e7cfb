#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace velto {

/// One enrollment code: exactly 8 symbols of the code alphabet (digits and upper-case letters
/// without I, L, O and U), without separators. Equal and hashed by its value.
class EnrollmentCode {
public:
    /// Normalises typed text: full Unicode upper case, spaces and hyphen-minus dropped, O read as 0,
    /// I and L read as 1. Throws EnrollmentError::invalidCode unless 8 alphabet symbols remain
    /// (text that is not UTF-8 included).
    static EnrollmentCode fromTyped(std::string_view typed);

    /// The 8 normalised symbols, as the enroll request sends them.
    const std::string& value() const { return value_; }
    /// The first 4 symbols, "-", the other 4.
    std::string displayValue() const;

    friend bool operator==(const EnrollmentCode&, const EnrollmentCode&) = default;

private:
    explicit EnrollmentCode(std::string value) : value_(std::move(value)) {}

    std::string value_;
};

} // namespace velto

template <> struct std::hash<velto::EnrollmentCode> {
    std::size_t operator()(const velto::EnrollmentCode& code) const noexcept {
        return std::hash<std::string>{}(code.value());
    }
};
