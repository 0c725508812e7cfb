#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velto::testing {

/// Writes zip archives by hand, entry by entry and uncompressed, so that a test can put in them what
/// no well-behaved archiver would: ".." and absolute names, names twice, device nodes, FIFOs, setuid
/// bits, links that point anywhere. Modes are Unix modes with their type bits (S_IFREG | 0644).
class ZipWriter {
public:
    /// Creates (or truncates) the file; throws std::runtime_error when it cannot.
    explicit ZipWriter(const std::filesystem::path& file);
    ~ZipWriter();

    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    /// An entry with any name, mode and content (a link's content is its target).
    void add(std::string_view name, std::uint32_t mode, std::string_view content);
    void file(std::string_view name, std::string_view content, std::uint32_t permissions = 0644);
    /// A folder; the name gets its "/" here.
    void folder(std::string_view name, std::uint32_t permissions = 0755);
    void link(std::string_view name, std::string_view target);
    /// Every entry under `root` (folders, files and links, with their modes), named from `prefix`.
    void tree(const std::filesystem::path& root, std::string_view prefix);

    /// Writes the central directory and closes the file; also done by the destructor.
    void finish();

private:
    struct Central {
        std::string name;
        std::uint32_t mode;
        std::uint32_t crc;
        std::uint32_t size;
        std::uint32_t offset;
    };

    void write(const std::string& bytes);

    std::FILE* file_ = nullptr;
    std::uint32_t offset_ = 0;
    std::vector<Central> entries_;
};

} // namespace velto::testing
