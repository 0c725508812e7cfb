#include "VeltoDevice/Update/ZipUnpacker.hpp"

#include "VeltoDevice/Support/BundlePath.hpp"
#include "VeltoDevice/Update/LibArchive.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"
#include "VeltoDevice/Update/ZipCentralDirectory.hpp"

#include <fcntl.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace velto {

namespace {

[[noreturn]] void refuse() {
    throw UpdateRefusal(UpdateRefusal::Case::unzipFailed);
}

using Reader = std::unique_ptr<archive, decltype(&::archive_read_free)>;
using Writer = std::unique_ptr<archive, decltype(&::archive_write_free)>;

constexpr int diskOptions = ARCHIVE_EXTRACT_PERM | ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_NO_OVERWRITE |
                            ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT;

/// Whether a link target, taken lexically from the link's folder, stays below the top.
bool lexicallyInside(const std::vector<std::string>& linkParts, std::string_view target) {
    if (target.empty() || target.front() == '/')
        return false;
    std::size_t depth = linkParts.size() - 1;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = target.find('/', start);
        auto segment = target.substr(start, end == std::string_view::npos ? end : end - start);
        if (segment == "..") {
            if (depth == 0)
                return false;
            --depth;
        } else if (!segment.empty() && segment != ".") {
            ++depth;
        }
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

/// What the entries so far made at each path, to refuse a path twice and writing below a link or file.
class EntryPaths {
public:
    /// Records the entry; returns the folders above it that nothing made yet, from the top down.
    std::vector<std::string> add(const std::string& path, const std::vector<std::string>& parts,
                                 unsigned type) {
        if (entries_.count(path) > 0)
            refuse();
        if (type != AE_IFDIR && impliedFolders_.count(path) > 0)
            refuse();
        std::vector<std::string> missing;
        std::string prefix;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            prefix += (i == 0 ? "" : "/") + parts[i];
            auto found = entries_.find(prefix);
            if (found != entries_.end() && found->second != AE_IFDIR)
                refuse();
            if (impliedFolders_.insert(prefix).second && found == entries_.end())
                missing.push_back(prefix);
        }
        entries_.emplace(path, type);
        if (type == AE_IFLNK)
            links_.push_back(path);
        return missing;
    }

    const std::vector<std::string>& links() const { return links_; }

private:
    std::map<std::string, unsigned> entries_;
    std::set<std::string> impliedFolders_;
    std::vector<std::string> links_;
};

/// A folder the archive implies without listing it: 0755 whatever the umask, as libarchive would make
/// it from the umask (0775 under umask 002).
void makeImpliedFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 ||
        ::fchmodat(AT_FDCWD, folder.c_str(), 0755, AT_SYMLINK_NOFOLLOW) != 0)
        refuse();
}

/// A type the unpacker takes: a file, a folder or a link; no type at all, which libarchive reads as a
/// file (or as a folder by its name's slash).
bool allowedType(std::uint32_t mode) {
    auto type = mode & AE_IFMT;
    return type == 0 || type == AE_IFREG || type == AE_IFDIR || type == AE_IFLNK;
}

std::string withoutSlash(std::string name) {
    if (!name.empty() && name.back() == '/')
        name.pop_back();
    return name;
}

/// The entries of the central directory by name, each taken once by an entry libarchive reads; every
/// type checked before anything is written.
class ListedEntries {
public:
    ListedEntries(const std::filesystem::path& archive, std::size_t maximum) {
        for (auto& entry : ZipCentralDirectory::read(archive, maximum)) {
            if (entry.unixMode && !allowedType(*entry.unixMode))
                refuse();
            if (!untaken_.insert(withoutSlash(std::move(entry.name))).second)
                refuse();
        }
    }

    /// Refuses a name the directory does not list, or lists once and was taken already.
    void take(const std::string& name) {
        if (untaken_.erase(withoutSlash(name)) == 0)
            refuse();
    }

private:
    std::set<std::string> untaken_;
};

void copyData(const LibArchive& api, archive* reader, archive* writer, const StopFlag& stop,
              std::uint64_t& written, std::uint64_t limit) {
    for (;;) {
        stop.throwIfRequested();
        const void* block = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
        int status = api.readDataBlock(reader, &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            return;
        if (status != ARCHIVE_OK)
            refuse();
        written += size;
        if (written > limit)
            refuse();
        if (api.writeDataBlock(writer, block, size, offset) != ARCHIVE_OK)
            refuse();
    }
}

} // namespace

void ZipUnpacker::unpack(const std::filesystem::path& archivePath, const std::filesystem::path& folder,
                         const StopFlag& stop, Limits limits) {
    // libarchive's zip reader reads a FIFO's entry as a plain file, so the types are the directory's.
    ListedEntries listed(archivePath, limits.entries);
    if (::mkdir(folder.c_str(), 0700) != 0)
        refuse();
    // The secure-symlink check looks at every part of the path it writes, so give it one without links.
    std::error_code canonicalError;
    auto base = std::filesystem::canonical(folder, canonicalError);
    if (canonicalError)
        refuse();

    const auto* library = LibArchive::shared();
    if (library == nullptr)
        refuse();
    const auto& api = *library;
    Reader reader(api.readNew(), api.readFree);
    Writer writer(api.writeDiskNew(), api.writeFree);
    if (!reader || !writer || api.readSupportFormatZipSeekable(reader.get()) != ARCHIVE_OK ||
        api.writeDiskSetOptions(writer.get(), diskOptions) != ARCHIVE_OK ||
        api.readOpenFilename(reader.get(), archivePath.c_str(), 1024 * 1024) != ARCHIVE_OK)
        refuse();

    EntryPaths paths;
    std::size_t count = 0;
    std::uint64_t written = 0;
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = api.readNextHeader(reader.get(), &entry)) == ARCHIVE_OK) {
        stop.throwIfRequested();
        if (++count > limits.entries)
            refuse();
        const char* name = api.entryPathname(entry);
        if (name == nullptr)
            refuse();
        std::string path(name);
        listed.take(path);
        unsigned type = api.entryFiletype(entry);
        if (type == AE_IFDIR && !path.empty() && path.back() == '/')
            path.pop_back();
        auto parts = BundlePath::parts(path);
        if (parts.empty() || api.entryHardlink(entry) != nullptr)
            refuse();
        if (type != AE_IFREG && type != AE_IFDIR && type != AE_IFLNK)
            refuse();
        if (type == AE_IFLNK) {
            const char* target = api.entrySymlink(entry);
            if (target == nullptr || !lexicallyInside(parts, target))
                refuse();
        }
        if (type == AE_IFREG && api.entrySizeIsSet(entry) &&
            static_cast<std::uint64_t>(api.entrySize(entry)) > limits.bytes - written)
            refuse();
        for (const auto& implied : paths.add(path, parts, type))
            makeImpliedFolder(base / implied);

        api.entrySetPerm(entry, api.entryPerm(entry) & 0755);
        api.entrySetPathname(entry, (base / path).c_str());
        if (api.writeHeader(writer.get(), entry) != ARCHIVE_OK)
            refuse();
        if (type == AE_IFREG)
            copyData(api, reader.get(), writer.get(), stop, written, limits.bytes);
        if (api.writeFinishEntry(writer.get()) != ARCHIVE_OK)
            refuse();
    }
    if (status != ARCHIVE_EOF || api.writeClose(writer.get()) != ARCHIVE_OK)
        refuse();
    for (const auto& link : paths.links()) {
        if (!BundlePath::linkStaysInside(base, link))
            refuse();
    }
}

} // namespace velto
