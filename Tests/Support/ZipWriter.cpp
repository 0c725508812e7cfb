#include "ZipWriter.hpp"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace velto::testing {

namespace {

std::uint32_t crc32(std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> values{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            values[i] = c;
        }
        return values;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char byte : bytes)
        c = table[(c ^ byte) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

} // namespace

ZipWriter::ZipWriter(const std::filesystem::path& file) : file_(std::fopen(file.c_str(), "wb")) {
    if (file_ == nullptr)
        throw std::runtime_error("could not create the zip file");
}

ZipWriter::~ZipWriter() {
    finish();
}

void ZipWriter::write(const std::string& bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        throw std::runtime_error("could not write the zip file");
    offset_ += static_cast<std::uint32_t>(bytes.size());
}

void ZipWriter::add(std::string_view name, std::uint32_t mode, std::string_view content) {
    Central entry{std::string(name), mode, crc32(content), static_cast<std::uint32_t>(content.size()),
                  offset_};
    std::string header;
    put32(header, 0x04034b50);
    put16(header, 20);
    put16(header, 0);    // flags
    put16(header, 0);    // stored
    put16(header, 0);    // time
    put16(header, 0x21); // date: 1980-01-01
    put32(header, entry.crc);
    put32(header, entry.size);
    put32(header, entry.size);
    put16(header, static_cast<std::uint32_t>(name.size()));
    put16(header, 0);
    header += name;
    write(header);
    write(std::string(content));
    entries_.push_back(std::move(entry));
}

void ZipWriter::file(std::string_view name, std::string_view content, std::uint32_t permissions) {
    add(name, S_IFREG | permissions, content);
}

void ZipWriter::folder(std::string_view name, std::uint32_t permissions) {
    add(std::string(name) + "/", S_IFDIR | permissions, "");
}

void ZipWriter::link(std::string_view name, std::string_view target) {
    add(name, S_IFLNK | 0777, target);
}

void ZipWriter::tree(const std::filesystem::path& root, std::string_view prefix) {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) {
        std::string name = std::string(prefix) + "/" + path.lexically_relative(root).generic_string();
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0)
            throw std::runtime_error("could not read the tree");
        if (S_ISDIR(status.st_mode)) {
            folder(name, status.st_mode & 07777);
        } else if (S_ISLNK(status.st_mode)) {
            link(name, std::filesystem::read_symlink(path).string());
        } else {
            std::ifstream input(path, std::ios::binary);
            std::stringstream content;
            content << input.rdbuf();
            file(name, content.str(), status.st_mode & 07777);
        }
    }
}

void ZipWriter::finish() {
    if (file_ == nullptr)
        return;
    std::uint32_t start = offset_;
    for (const auto& entry : entries_) {
        std::string header;
        put32(header, 0x02014b50);
        put16(header, (3 << 8) | 30); // made by Unix
        put16(header, 20);
        put16(header, 0);
        put16(header, 0);
        put16(header, 0);
        put16(header, 0x21);
        put32(header, entry.crc);
        put32(header, entry.size);
        put32(header, entry.size);
        put16(header, static_cast<std::uint32_t>(entry.name.size()));
        put16(header, 0); // extra
        put16(header, 0); // comment
        put16(header, 0); // disk
        put16(header, 0); // internal attributes
        put32(header, (entry.mode << 16) | (S_ISDIR(entry.mode) ? 0x10 : 0));
        put32(header, entry.offset);
        header += entry.name;
        write(header);
    }
    std::string end;
    put32(end, 0x06054b50);
    put16(end, 0);
    put16(end, 0);
    put16(end, static_cast<std::uint32_t>(entries_.size()));
    put16(end, static_cast<std::uint32_t>(entries_.size()));
    put32(end, offset_ - start);
    put32(end, start);
    put16(end, 0);
    write(end);
    std::fclose(file_);
    file_ = nullptr;
}

} // namespace velto::testing
