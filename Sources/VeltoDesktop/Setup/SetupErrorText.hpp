#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace velto {

/// The sentence the setup window shows for a failed address or code. Sentences that quote what the
/// user typed quote at most `maximumQuoted` characters of it, so that a pasted page of text still
/// leaves the sentence readable.
struct SetupErrorText {
    static constexpr std::size_t maximumQuoted = 64;

    static std::string of(const std::exception& error);
    /// A code field holding a velto link that does not read: that link's own error, when it has one.
    static std::string ofCode(const std::exception& error, std::string_view code);
};

} // namespace velto
