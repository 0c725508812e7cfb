#include "VeltoDevice/Update/ZipUnpacker.hpp"

#include "VeltoDevice/Support/BundlePath.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"

#include <archive.h>
#include <archive_entry.h>
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
    void add(const std::string& path, const std::vector<std::string>& parts, unsigned type) {
        if (entries_.count(path) > 0)
            refuse();
        if (type != AE_IFDIR && impliedFolders_.count(path) > 0)
            refuse();
        std::string prefix;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            prefix += (i == 0 ? "" : "/") + parts[i];
            auto found = entries_.find(prefix);
            if (found != entries_.end() && found->second != AE_IFDIR)
                refuse();
            impliedFolders_.insert(prefix);
        }
        entries_.emplace(path, type);
        if (type == AE_IFLNK)
            links_.push_back(path);
    }

    const std::vector<std::string>& links() const { return links_; }

private:
    std::map<std::string, unsigned> entries_;
    std::set<std::string> impliedFolders_;
    std::vector<std::string> links_;
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
        paths.add(path, parts, type);

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
