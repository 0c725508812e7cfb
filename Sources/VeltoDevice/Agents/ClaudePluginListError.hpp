#pragma once

#include "VeltoDevice/Support/Error.hpp"

namespace velto {

/// Claude Code's plugin list was not the JSON the plugin's state is read from.
class ClaudePluginListError : public Error {
public:
    ClaudePluginListError() : Error("Velto could not read Claude Code's plugin list.") {}
};

} // namespace velto
