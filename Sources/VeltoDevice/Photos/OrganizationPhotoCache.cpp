#include "VeltoDevice/Photos/OrganizationPhotoCache.hpp"

#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/RepairedUTF8.hpp"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace velto {

namespace fs = std::filesystem;

OrganizationPhotoCache::OrganizationPhotoCache(fs::path directory, boost::asio::any_io_executor files)
    : directory_(std::move(directory)), files_(std::move(files)) {}

OrganizationPhotoCache OrganizationPhotoCache::applicationSupport(boost::asio::any_io_executor files) {
    return OrganizationPhotoCache(files::applicationSupportFile("photos"), std::move(files));
}

bool OrganizationPhotoCache::isValidKey(std::string_view key) {
    if (key.empty() || key.size() > static_cast<std::size_t>(INT32_MAX))
        return false;
    const auto* text = reinterpret_cast<const std::uint8_t*>(key.data());
    auto length = static_cast<std::int32_t>(key.size());
    std::int32_t offset = 0;
    while (offset < length) {
        UChar32 c = 0;
        U8_NEXT(text, offset, length, c);
        if (c < 0)
            return false;
        if (c == '-' || c == '_')
            continue;
        if ((U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) == 0)
            return false;
    }
    return true;
}

fs::path OrganizationPhotoCache::picturePath(std::string_view key) const {
    return directory_ / std::string(key);
}

fs::path OrganizationPhotoCache::versionPath(std::string_view key) const {
    return directory_ / (std::string(key) + ".version");
}

std::optional<Bytes> OrganizationPhotoCache::photo(std::string_view key) const {
    if (!isValidKey(key))
        return std::nullopt;
    auto bytes = files::readBounded(picturePath(key), maximumFileSize);
    if (!bytes)
        return std::nullopt;
    return toBytes(*bytes);
}

std::optional<std::string> OrganizationPhotoCache::version(std::string_view key) const {
    if (!isValidKey(key))
        return std::nullopt;
    auto bytes = files::readBounded(versionPath(key), maximumFileSize);
    if (!bytes)
        return std::nullopt;
    return repairedUTF8(*bytes);
}

bool OrganizationPhotoCache::hasPicture(std::string_view key) const {
    std::error_code error;
    return isValidKey(key) && fs::is_regular_file(picturePath(key), error);
}

std::uint64_t OrganizationPhotoCache::countRequest(const std::string& key) {
    return ++requests_[key];
}

boost::asio::awaitable<PhotoChange>
OrganizationPhotoCache::sync(std::string key, std::optional<std::string> photoVersion, Fetch fetch) {
    const std::uint64_t request = countRequest(key);
    if (!photoVersion) {
        auto removal = removeOnFiles(key);
        co_return co_await std::move(removal);
    }
    // A version file without its picture (a save cut short, a picture deleted by hand) is out of date.
    if (version(key) == photoVersion && hasPicture(key))
        co_return PhotoChange::unchanged;

    std::optional<OrganizationPhoto> fetched = co_await fetch();
    if (requests_[key] != request)
        co_return PhotoChange::unchanged;
    if (!fetched) {
        auto removal = removeOnFiles(key);
        co_return co_await std::move(removal);
    }
    auto saving = runBlocking(files_, [this, key, picture = std::move(*fetched), photoVersion] {
        save(picture, picture.version.value_or(*photoVersion), key);
        return PhotoChange::saved;
    });
    co_return co_await std::move(saving);
}

boost::asio::awaitable<PhotoChange> OrganizationPhotoCache::remove(std::string key) {
    countRequest(key);
    auto removal = removeOnFiles(key);
    co_return co_await std::move(removal);
}

boost::asio::awaitable<PhotoChange> OrganizationPhotoCache::removeOnFiles(std::string key) {
    return runBlocking(files_, [this, key = std::move(key)] { return removeFiles(key); });
}

void OrganizationPhotoCache::save(const OrganizationPhoto& picture, const std::string& photoVersion,
                                  std::string_view key) {
    if (!isValidKey(key))
        throw ServerError::malformedResponse();
    files::createFolders(directory_);
    // Gone first: a save cut short leaves a picture without a version, which the next sync fetches again.
    std::error_code ignored;
    fs::remove(versionPath(key), ignored);
    const auto* bytes = reinterpret_cast<const char*>(picture.data.data());
    files::writeAtomically(picturePath(key), std::string_view(bytes, picture.data.size()));
    files::writeAtomically(versionPath(key), photoVersion);
}

PhotoChange OrganizationPhotoCache::removeFiles(std::string_view key) {
    if (!isValidKey(key))
        return PhotoChange::unchanged;
    fs::path picture = picturePath(key);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(picture, error)))
        return PhotoChange::unchanged;
    files::removeIfPresent(picture);
    std::error_code ignored;
    fs::remove(versionPath(key), ignored);
    return PhotoChange::removed;
}

} // namespace velto
