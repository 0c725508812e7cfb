#pragma once

#include "VeltoDevice/Photos/OrganizationPhoto.hpp"
#include "VeltoDevice/Photos/PhotoChange.hpp"
#include "VeltoDevice/Support/Bytes.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// The organizations' pictures on disk, each kept with the version it was saved under and downloaded
/// again only when the announced version differs. Lives on the device io_context and is only touched
/// from it; `sync` lets other calls in while its fetch runs, and per-key request numbers make the
/// latest started request for a key win. Its writes (pictures of up to 10 MiB, each synced to disk)
/// and removals run on `files`, the storage strand of the blocking pool, in the order they were
/// asked for, never on the I/O thread. The owner keeps the cache alive while a sync or a removal runs.
///
/// Files, directly in `directory()`: `<key>` holds the picture's bytes, `<key>.version` its version
/// as UTF-8 (no newline, no quotes). Both are written atomically, the version after the picture.
class OrganizationPhotoCache {
public:
    using Fetch = std::function<boost::asio::awaitable<std::optional<OrganizationPhoto>>()>;

    /// The folder is created, with its parents, only when a picture is saved. Files are written and
    /// removed on `files` (DeviceThread::storageStrand).
    OrganizationPhotoCache(std::filesystem::path directory, boost::asio::any_io_executor files);

    /// The cache under "photos" in the application's data folder ($XDG_DATA_HOME/Velto, by default
    /// ~/.local/share/Velto), as files::applicationSupportFile names it; its FileError is thrown.
    static OrganizationPhotoCache applicationSupport(boost::asio::any_io_executor files);

    /// A key names files directly in the folder: non-empty, and only Unicode letters, marks and
    /// numbers, "-" and "_". Anything else (a slash, a dot, a space, text that is not UTF-8) is invalid.
    static bool isValidKey(std::string_view key);

    const std::filesystem::path& directory() const { return directory_; }

    /// The picture's bytes; nothing for an invalid key or a file that cannot be read.
    std::optional<Bytes> photo(std::string_view key) const;
    /// The version file's text, invalid UTF-8 replaced by U+FFFD, not trimmed; nothing for an invalid
    /// key or a file that cannot be read.
    std::optional<std::string> version(std::string_view key) const;

    /// Brings the key's picture to `photoVersion`: removes the files when it is absent, does nothing
    /// when the stored picture has that version, else awaits `fetch` and saves what it returns (under
    /// its own version, else `photoVersion`) or removes the files when it returns nothing. A sync
    /// overtaken meanwhile by a later sync or removal of the key returns unchanged and writes nothing.
    /// The fetch's error is thrown; ServerError::malformedResponse when a photo would be saved under an
    /// invalid key; FileError when the folder or the files cannot be written.
    boost::asio::awaitable<PhotoChange> sync(std::string key, std::optional<std::string> photoVersion,
                                             Fetch fetch);

    /// Removes the key's files and supersedes any sync of the key in flight (counted when awaited;
    /// the files go after any save already asked for). Throws FileError::remove when the picture
    /// cannot be deleted (its version file is then kept).
    boost::asio::awaitable<PhotoChange> remove(std::string key);

    /// Reads of the picture and version files stop at this size; a larger file reads as nothing.
    static constexpr std::uintmax_t maximumFileSize = 10 * 1024 * 1024;

private:
    std::uint64_t countRequest(const std::string& key);
    bool hasPicture(std::string_view key) const;
    void save(const OrganizationPhoto& photo, const std::string& photoVersion, std::string_view key);
    PhotoChange removeFiles(std::string_view key);
    boost::asio::awaitable<PhotoChange> removeOnFiles(std::string key);
    std::filesystem::path picturePath(std::string_view key) const;
    std::filesystem::path versionPath(std::string_view key) const;

    std::filesystem::path directory_;
    boost::asio::any_io_executor files_;
    std::map<std::string, std::uint64_t, std::less<>> requests_;
};

} // namespace velto
