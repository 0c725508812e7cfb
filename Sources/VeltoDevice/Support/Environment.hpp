#pragma once

#include <map>
#include <string>

namespace velto {

/// A process environment as names and values: exactly what a child is given, nothing inherited.
using Environment = std::map<std::string, std::string>;

} // namespace velto
