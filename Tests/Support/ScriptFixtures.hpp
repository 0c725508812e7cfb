#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace velto::testing {

/// Writes `body` to `path` as an executable file (mode 0755): the small fake tools and shells of
/// the process tests. Returns the path.
std::filesystem::path writeExecutable(const std::filesystem::path& path, std::string_view body);

/// Writes `body` as a /bin/sh script: "#!/bin/sh" and a line feed are put before it.
std::filesystem::path writeShellScript(const std::filesystem::path& path, std::string_view body);

/// The file's contents, or nothing when there is no file.
std::optional<std::string> readText(const std::filesystem::path& path);

/// The first line of the file as a process id, once the file holds one whole line.
std::optional<pid_t> readPid(const std::filesystem::path& path);

/// True when no process has the id any more, or only its zombie is left (an orphan's zombie waits for
/// a reaper that this machine's first process may not be).
bool isGone(pid_t pid);

/// Waits (up to a few seconds of real time) for `isGone`; a signal just sent takes a moment to land.
bool becomesGone(pid_t pid);

} // namespace velto::testing
