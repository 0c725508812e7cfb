#pragma once

#include <cstddef>
#include <string_view>

namespace velto {

/// A look at a property list's bytes before libplist parses them, for what libplist 2.2 mishandles:
/// it cuts a binary plist's ASCII string at its first NUL (so "app.velto.desktop\0x" would read as
/// "app.velto.desktop"), aborts the process when asked for a string or key that holds U+0000, and
/// parses binary containers recursively, so deep nesting exhausts the stack.
struct PropertyListScreen {
    /// The longest chain of references from the top object through containers that is taken.
    static constexpr std::size_t maximumDepth = 512;

    /// Whether the bytes may be handed to libplist. An XML plist (anything not starting with
    /// "bplist00") may hold no NUL byte, which XML does not allow anyway. In a binary plist every
    /// object reachable from the top must lie inside the file, no string among them may hold a NUL
    /// character, and the references may form no cycle nor a chain longer than maximumDepth.
    static bool admits(std::string_view bytes);
};

} // namespace velto
