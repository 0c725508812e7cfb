#pragma once

#include <optional>
#include <string>

namespace velto {

/// The short version number the menu shows.
struct HarnessVersion {
    /// The first run of digits with one or more dot-and-digits groups in the text ("codex-cli
    /// 0.46.0" gives "0.46.0"); the text unchanged when it holds none; nothing for nothing.
    static std::optional<std::string> number(const std::optional<std::string>& text);
};

} // namespace velto
