#pragma once

#include <archive.h>
#include <archive_entry.h>

namespace velto {

/// The libarchive functions the unpacker calls, opened at the first unpacking rather than linked: an
/// update is rare, and the library maps its compression and XML libraries into every process that
/// links it, an idle agent included.
struct LibArchive {
    decltype(&::archive_read_new) readNew;
    decltype(&::archive_read_free) readFree;
    decltype(&::archive_read_support_format_zip_seekable) readSupportFormatZipSeekable;
    decltype(&::archive_read_open_filename) readOpenFilename;
    decltype(&::archive_read_next_header) readNextHeader;
    decltype(&::archive_read_data_block) readDataBlock;
    decltype(&::archive_write_disk_new) writeDiskNew;
    decltype(&::archive_write_disk_set_options) writeDiskSetOptions;
    decltype(&::archive_write_free) writeFree;
    decltype(&::archive_write_header) writeHeader;
    decltype(&::archive_write_data_block) writeDataBlock;
    decltype(&::archive_write_finish_entry) writeFinishEntry;
    decltype(&::archive_write_close) writeClose;
    decltype(&::archive_entry_pathname) entryPathname;
    decltype(&::archive_entry_filetype) entryFiletype;
    decltype(&::archive_entry_hardlink) entryHardlink;
    decltype(&::archive_entry_symlink) entrySymlink;
    decltype(&::archive_entry_size_is_set) entrySizeIsSet;
    decltype(&::archive_entry_size) entrySize;
    decltype(&::archive_entry_perm) entryPerm;
    decltype(&::archive_entry_set_perm) entrySetPerm;
    decltype(&::archive_entry_set_pathname) entrySetPathname;

    /// The library, opened once for the process; nothing when it or one of its functions is missing
    /// (logged once).
    static const LibArchive* shared();
};

} // namespace velto
