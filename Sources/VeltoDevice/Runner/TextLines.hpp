#pragma once

#include <string_view>
#include <vector>

namespace velto {

/// The non-empty lines of a text split at every line break: line feed, vertical tab, form feed,
/// carriage return (a carriage return with a line feed is one break), next line (U+0085), line
/// separator (U+2028) and paragraph separator (U+2029). The views point into `text`.
std::vector<std::string_view> nonEmptyLines(std::string_view text);

} // namespace velto
