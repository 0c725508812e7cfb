#pragma once

#include <optional>
#include <string_view>

namespace velto {

/// A scanner for version numbers in tool output, in place of a regular expression (a backtracking
/// matcher recurses per character and overflows the stack on long output). ASCII digits only.
struct DottedNumber {
    /// The leftmost run of digits followed by `minimumGroups` to `maximumGroups` groups of a dot and
    /// digits (as many as there are, up to the maximum). With `prereleaseSuffix`, a hyphen and a run
    /// of letters, digits and dots after them belong to the match too. Linear in the text's length.
    static std::optional<std::string_view> first(std::string_view text, int minimumGroups, int maximumGroups,
                                                 bool prereleaseSuffix);
};

} // namespace velto
