#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velto {

/// The "[Desktop Entry]" group of a desktop entry file (freedesktop.org Desktop Entry Specification
/// 1.5): the login item's autostart entry and the application's link handler are written with it.
/// Values are held unescaped; `text()` applies the string escapes.
struct DesktopEntry {
    /// Keys and values in file order.
    std::vector<std::pair<std::string, std::string>> fields;

    /// A file's text is read up to this size; a larger file holds no entry.
    static constexpr std::size_t maximumFileSize = 64 * 1024;

    /// The file's text: the group header, then "Key=value" lines with the string escapes applied.
    std::string text() const;
    /// The value of the last field with this key, unescaped.
    std::optional<std::string> value(std::string_view key) const;

    /// The "[Desktop Entry]" group of a file's text; nothing when the text has no such group, is
    /// larger than `maximumFileSize`, or holds a line that is neither a group, a comment nor a field.
    static std::optional<DesktopEntry> parse(std::string_view text);

    /// One argument of an Exec value: double-quoted, with '"', '`', '$' and '\' escaped by a backslash
    /// and '%' doubled. Nothing for text with a control character, which no Exec line can carry, or text
    /// that is not UTF-8.
    static std::optional<std::string> execArgument(std::string_view argument);
    /// The start of an Exec value that runs `program` (an absolute path), further arguments to follow:
    /// its `execArgument`, or, for a path holding "%", that argument after a fixed launcher,
    /// `/bin/sh -c "exec \"\$0\" \"\$@\"" "<path>"`. GIO (2.74 at least) looks for the program
    /// before it reads "%%" as "%", so it would not start such a path named directly.
    static std::optional<std::string> execCommand(std::string_view program);
    /// The program an (unescaped) Exec value starts: its first argument unquoted, "%%" read as "%".
    /// Nothing when the value is empty or malformed, or the program holds another field code.
    static std::optional<std::string> execProgram(std::string_view exec);
};

} // namespace velto
