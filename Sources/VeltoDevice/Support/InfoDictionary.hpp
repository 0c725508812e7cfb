#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// The top-level dictionary of a bundle's Info.plist, as far as the update path reads it: which keys
/// are there, and the text of those whose value is a string.
class InfoDictionary {
public:
    /// Files over this size are not read.
    static constexpr std::uintmax_t maximumFileSize = 1024 * 1024;

    /// The property list at the path, XML or binary. Empty when the file is missing, too large or
    /// unreadable, does not parse, is not a dictionary at its top, or holds a string with a NUL
    /// character or nesting that PropertyListScreen refuses.
    static InfoDictionary read(const std::filesystem::path& file);
    /// The same from the file's bytes.
    static InfoDictionary parse(std::string_view bytes);

    bool isEmpty() const { return values_.empty(); }
    bool contains(std::string_view key) const;
    /// The value of `key` when it is a string; nothing when it is missing or of another type.
    std::optional<std::string> text(std::string_view key) const;

private:
    /// Each key with its text, or nothing when its value is not a string.
    std::map<std::string, std::optional<std::string>, std::less<>> values_;
};

} // namespace velto
