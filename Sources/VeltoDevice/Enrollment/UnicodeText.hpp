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

/// The text as valid UTF-8: each maximal ill-formed subpart (Unicode's "substitution of maximal
/// subparts") becomes U+FFFD, everything else is kept byte for byte.
std::string repaired(std::string_view text);

} // namespace velto::unicode
