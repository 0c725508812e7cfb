#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace velto::utf8 {

/// The code point encoded by exactly `bytes`, or nothing when they are not one well-formed UTF-8
/// sequence (overlong forms, surrogates and values beyond U+10FFFF included).
std::optional<char32_t> decodeOne(std::string_view bytes);

/// Length of the UTF-8 sequence that starts `text` (not empty), judged by its lead byte alone.
std::size_t leadingLength(std::string_view text);

/// Length of the UTF-8 sequence that ends `text` (not empty): at most four bytes back to a byte that
/// is not a continuation byte.
std::size_t trailingLength(std::string_view text);

/// How many bytes from the start of `text` are well-formed UTF-8.
std::size_t wellFormedLength(std::string_view text);

/// The length of the maximal ill-formed subpart that starts `text` (not empty, and not well-formed at
/// its start): what one U+FFFD replaces, as Unicode recommends.
std::size_t illFormedLength(std::string_view text);

/// True when the whole text is well-formed UTF-8, the form every JSON text we write must take.
bool isValid(std::string_view text);

} // namespace velto::utf8
