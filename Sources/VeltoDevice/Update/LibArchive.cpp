#include "VeltoDevice/Update/LibArchive.hpp"

#include "VeltoDevice/Support/Log.hpp"

#include <dlfcn.h>
#include <optional>
#include <string>

namespace velto {

namespace {

/// The soname of the libarchive the build's headers describe.
constexpr const char* libraryName = "libarchive.so.13";

template <typename Function> bool resolve(void* library, const char* name, Function& into) {
    into = reinterpret_cast<Function>(::dlsym(library, name));
    return into != nullptr;
}

std::optional<LibArchive> open() {
    void* library = ::dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = ::dlerror();
        Logger("update").error(std::string("cannot open ") + libraryName + ": " +
                               (reason ? reason : "unknown reason"));
        return std::nullopt;
    }
    LibArchive api{};
    const bool complete =
        resolve(library, "archive_read_new", api.readNew) &&
        resolve(library, "archive_read_free", api.readFree) &&
        resolve(library, "archive_read_support_format_zip_seekable", api.readSupportFormatZipSeekable) &&
        resolve(library, "archive_read_open_filename", api.readOpenFilename) &&
        resolve(library, "archive_read_next_header", api.readNextHeader) &&
        resolve(library, "archive_read_data_block", api.readDataBlock) &&
        resolve(library, "archive_write_disk_new", api.writeDiskNew) &&
        resolve(library, "archive_write_disk_set_options", api.writeDiskSetOptions) &&
        resolve(library, "archive_write_free", api.writeFree) &&
        resolve(library, "archive_write_header", api.writeHeader) &&
        resolve(library, "archive_write_data_block", api.writeDataBlock) &&
        resolve(library, "archive_write_finish_entry", api.writeFinishEntry) &&
        resolve(library, "archive_write_close", api.writeClose) &&
        resolve(library, "archive_entry_pathname", api.entryPathname) &&
        resolve(library, "archive_entry_filetype", api.entryFiletype) &&
        resolve(library, "archive_entry_hardlink", api.entryHardlink) &&
        resolve(library, "archive_entry_symlink", api.entrySymlink) &&
        resolve(library, "archive_entry_size_is_set", api.entrySizeIsSet) &&
        resolve(library, "archive_entry_size", api.entrySize) &&
        resolve(library, "archive_entry_perm", api.entryPerm) &&
        resolve(library, "archive_entry_set_perm", api.entrySetPerm) &&
        resolve(library, "archive_entry_set_pathname", api.entrySetPathname);
    if (!complete) {
        Logger("update").error(std::string(libraryName) + " lacks a function the unpacker needs");
        ::dlclose(library);
        return std::nullopt;
    }
    // Kept open for the process: the functions are called at every later unpacking.
    return api;
}

} // namespace

const LibArchive* LibArchive::shared() {
    static const std::optional<LibArchive> api = open();
    return api ? &*api : nullptr;
}

} // namespace velto
