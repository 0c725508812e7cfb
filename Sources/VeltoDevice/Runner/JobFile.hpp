#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <filesystem>
#include <string_view>

namespace velto {

/// Writes and removes the job documents that the runner script reads: private files in the folder
/// "velto-jobs" of the private temporary folder.
struct JobFile {
    JobFile() = delete;

    static constexpr std::string_view folderName = "velto-jobs";

    /// Writes `document` whole to a new file "<UUID>.json" (a random upper-case UUID), mode 0600, in
    /// the folder `folderName` of `privateFolder`, made with mode 0700 when missing. An existing folder
    /// must be a folder of this user's, not a link; its mode is set to 0700. Returns the file's path.
    /// Throws TemporaryFolderError when the folder cannot be made or used, RunnerError::launchFailed
    /// when the file cannot be written (the cause is logged in the category "runner").
    static std::filesystem::path write(const Bytes& document, const std::filesystem::path& privateFolder);

    /// Removes the file; a failure is ignored.
    static void remove(const std::filesystem::path& file) noexcept;

    /// Removes every file in the folder `folderName` of `privateFolder`: the documents of jobs that a
    /// crash left behind. For the start of the one running instance, before any job runs (the folder
    /// is its own). A folder that is a link or another user's is left alone; failures are ignored.
    static void removeLeftovers(const std::filesystem::path& privateFolder) noexcept;
};

} // namespace velto
