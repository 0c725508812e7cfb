#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velto::files {

/// The whole file; nothing when there is no file at the path. A file that is there but cannot be
/// read (a folder in its place included, and with `followLink` false a link) throws
/// std::system_error; one holding more than `limit` bytes throws std::length_error, and is not read
/// beyond its first block past the limit. The open never waits on a pipe in the file's place.
std::optional<std::string> readIfPresent(const std::filesystem::path& path, std::size_t limit,
                                         bool followLink = true);

/// `readIfPresent`, with nothing for whatever it throws: a file missing, not a regular file, larger
/// than `limit` or unreadable reads as nothing.
std::optional<std::string> readBounded(const std::filesystem::path& path, std::uintmax_t limit,
                                       bool followLink = true);

/// Replaces the file in one step: the bytes go to a temporary file in the same folder (mode 0600,
/// whatever the umask, made exclusively under a name of its own, so nothing planted is written
/// through), which is flushed to disk and then renamed over the path, and the rename is flushed with
/// the folder; a reader sees the old file or the new one, never a part. Throws FileError::write; the
/// temporary file is then gone.
void writeAtomically(const std::filesystem::path& path, std::string_view bytes);

/// Creates the folder and the folders above it that are missing. Throws FileError::createFolder.
void createFolders(const std::filesystem::path& folder);

/// Renames a file only when nothing is at the target yet. Throws FileError::setAside, for an existing
/// target too.
void moveWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

/// Removes the file when there is one. Throws FileError::remove.
void removeIfPresent(const std::filesystem::path& path);

/// Moves a damaged file to NAME.damaged-SECONDS.json beside it, SECONDS being the whole seconds
/// since 1970 at `now`, and returns that path. Never replaces a file already there: throws
/// FileError::setAside instead.
std::filesystem::path setAside(const std::filesystem::path& file, std::chrono::system_clock::time_point now);

/// $XDG_DATA_HOME (when set to an absolute path, else ~/.local/share), created when missing, then
/// "Velto" and the name: where Velto keeps its files. Creates no "Velto" folder. Throws FileError.
std::filesystem::path applicationSupportFile(std::string_view name);

} // namespace velto::files
