#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velto::unicode {

/// The text without the Unicode white space (the White_Space property, line breaks included) at
/// either end. Bytes that are not UTF-8 are kept as they are.
std::string_view trimmingWhitespace(std::string_view text);

/// The text upper-cased with Unicode's full case mapping (root locale), which may change its length:
/// "ß" becomes "SS". Nothing when the text is not UTF-8.
std::optional<std::u16string> upperCased(std::string_view text);

/// The number of UTF-16 code units of the text (a character outside the BMP counts two); nothing
/// when the text is not UTF-8.
std::optional<std::size_t> utf16Length(std::string_view text);

} // namespace velto::unicode
