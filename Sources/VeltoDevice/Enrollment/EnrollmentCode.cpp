#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"

#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Support/UnicodeText.hpp"

#include <unicode/utf16.h>

#include <cstdint>

namespace velto {

namespace {

constexpr std::size_t kCodeLength = 8;
constexpr std::string_view kAlphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";

bool inAlphabet(UChar32 symbol) {
    return symbol > 0 && symbol < 0x80 && kAlphabet.find(static_cast<char>(symbol)) != std::string_view::npos;
}

} // namespace

EnrollmentCode EnrollmentCode::fromTyped(std::string_view typed) {
    std::optional<std::u16string> upper = unicode::upperCased(typed);
    if (!upper)
        throw EnrollmentError::invalidCode();

    // Every symbol outside ASCII fails the alphabet, so walking code points decides exactly as
    // walking user-perceived characters would.
    std::string value;
    const auto length = static_cast<int32_t>(upper->size());
    int32_t index = 0;
    while (index < length) {
        UChar32 symbol = 0;
        U16_NEXT(upper->data(), index, length, symbol);
        if (symbol == ' ' || symbol == '-')
            continue;
        if (symbol == 'O')
            symbol = '0';
        else if (symbol == 'I' || symbol == 'L')
            symbol = '1';
        if (!inAlphabet(symbol) || value.size() == kCodeLength)
            throw EnrollmentError::invalidCode();
        value.push_back(static_cast<char>(symbol));
    }
    if (value.size() != kCodeLength)
        throw EnrollmentError::invalidCode();
    return EnrollmentCode(std::move(value));
}

std::string EnrollmentCode::displayValue() const {
    return value_.substr(0, 4) + "-" + value_.substr(4);
}

} // namespace velto
