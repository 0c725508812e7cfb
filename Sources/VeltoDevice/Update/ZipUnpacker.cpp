#include "VeltoDevice/Update/ZipUnpacker.hpp"

#include "VeltoDevice/Support/BundlePath.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"
#include "VeltoDevice/Update/ZipCentralDirectory.hpp"

#include <archive.h>
#include <archive_entry.h>
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

using Reader = std::unique_ptr<archive, decltype(&archive_read_free)>;
using Writer = std::unique_ptr<archive, decltype(&archive_write_free)>;

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

void copyData(archive* reader, archive* writer, const StopFlag& stop, std::uint64_t& written,
              std::uint64_t limit) {
    for (;;) {
        stop.throwIfRequested();
        const void* block = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
        int status = archive_read_data_block(reader, &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            return;
        if (status != ARCHIVE_OK)
            refuse();
        written += size;
        if (written > limit)
            refuse();
        if (archive_write_data_block(writer, block, size, offset) != ARCHIVE_OK)
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

    Reader reader(archive_read_new(), &archive_read_free);
    Writer writer(archive_write_disk_new(), &archive_write_free);
    if (!reader || !writer || archive_read_support_format_zip_seekable(reader.get()) != ARCHIVE_OK ||
        archive_write_disk_set_options(writer.get(), diskOptions) != ARCHIVE_OK ||
        archive_read_open_filename(reader.get(), archivePath.c_str(), 1024 * 1024) != ARCHIVE_OK)
        refuse();

    EntryPaths paths;
    std::size_t count = 0;
    std::uint64_t written = 0;
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
        stop.throwIfRequested();
        if (++count > limits.entries)
            refuse();
        const char* name = archive_entry_pathname(entry);
        if (name == nullptr)
            refuse();
        std::string path(name);
        listed.take(path);
        unsigned type = archive_entry_filetype(entry);
        if (type == AE_IFDIR && !path.empty() && path.back() == '/')
            path.pop_back();
        auto parts = BundlePath::parts(path);
        if (parts.empty() || archive_entry_hardlink(entry) != nullptr)
            refuse();
        if (type != AE_IFREG && type != AE_IFDIR && type != AE_IFLNK)
            refuse();
        if (type == AE_IFLNK) {
            const char* target = archive_entry_symlink(entry);
            if (target == nullptr || !lexicallyInside(parts, target))
                refuse();
        }
        if (type == AE_IFREG && archive_entry_size_is_set(entry) &&
            static_cast<std::uint64_t>(archive_entry_size(entry)) > limits.bytes - written)
            refuse();
        for (const auto& implied : paths.add(path, parts, type))
            makeImpliedFolder(base / implied);

        archive_entry_set_perm(entry, archive_entry_perm(entry) & 0755);
        archive_entry_set_pathname(entry, (base / path).c_str());
        if (archive_write_header(writer.get(), entry) != ARCHIVE_OK)
            refuse();
        if (type == AE_IFREG)
            copyData(reader.get(), writer.get(), stop, written, limits.bytes);
        if (archive_write_finish_entry(writer.get()) != ARCHIVE_OK)
            refuse();
    }
    if (status != ARCHIVE_EOF || archive_write_close(writer.get()) != ARCHIVE_OK)
        refuse();
    for (const auto& link : paths.links()) {
        if (!BundlePath::linkStaysInside(base, link))
            refuse();
    }
}

} // namespace velto
