#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace velto {

/// The one-letter stand-in for a name's picture: the first grapheme cluster of the name (so a letter
/// with its accents, or a flag, stays whole), upper-cased with Unicode's full case mapping.
struct Monogram {
    /// Nothing for a blank name (empty or white space only) or text that is not UTF-8.
    static std::optional<QString> of(std::string_view name);
};

} // namespace velto
