#pragma once

#include <string>
#include <string_view>

namespace velto {

/// `text` as one log line may hold it, whatever a server or a tool put in it: the C0 controls
/// (line feed, carriage return and tab as \n, \r and \t, the rest as \xHH), DEL, the C1 controls,
/// the line and paragraph separators and the bidirectional controls (as \u{HHHH}) are escaped, so
/// that text can neither start a line of its own nor drive the terminal or reorder what a reader
/// sees. A byte that is not part of well-formed UTF-8 becomes \xHH, and a backslash \\, so that
/// every escape reads one way. Every log sink writes its text through this.
std::string escapedForLog(std::string_view text);

} // namespace velto
