#include "VeltoDevice/Update/ZipCentralDirectory.hpp"

#include "VeltoDevice/Update/UpdateRefusal.hpp"

#include <algorithm>
#include <fstream>
#include <string_view>

namespace velto {

namespace {

[[noreturn]] void refuse() {
    throw UpdateRefusal(UpdateRefusal::Case::unzipFailed);
}

constexpr std::string_view endSignature("PK\x05\x06", 4);
constexpr std::string_view zip64LocatorSignature("PK\x06\x07", 4);
constexpr std::string_view zip64EndSignature("PK\x06\x06", 4);
constexpr std::string_view entrySignature("PK\x01\x02", 4);
constexpr std::size_t endSize = 22;
constexpr std::size_t zip64LocatorSize = 20;
constexpr std::size_t zip64EndSize = 56;
constexpr std::size_t entrySize = 46;
/// An end record with the longest comment.
constexpr std::uint64_t endSearch = endSize + 0xFFFF;
constexpr unsigned unixHost = 3;

std::uint64_t little(std::string_view bytes, std::size_t offset, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

class Reader {
public:
    explicit Reader(const std::filesystem::path& file) : stream_(file, std::ios::binary) {
        if (!stream_)
            refuse();
        stream_.seekg(0, std::ios::end);
        auto end = stream_.tellg();
        if (end < 0)
            refuse();
        size_ = static_cast<std::uint64_t>(end);
    }

    std::uint64_t size() const { return size_; }

    std::string at(std::uint64_t offset, std::uint64_t count) {
        if (offset > size_ || size_ - offset < count)
            refuse();
        std::string bytes(static_cast<std::size_t>(count), '\0');
        stream_.seekg(static_cast<std::streamoff>(offset));
        if (!stream_.read(bytes.data(), static_cast<std::streamsize>(count)))
            refuse();
        return bytes;
    }

private:
    std::ifstream stream_;
    std::uint64_t size_ = 0;
};

struct Directory {
    std::uint64_t offset;
    std::uint64_t size;
    std::uint64_t entries;
};

/// The directory's place from the end record found last in the file, as libarchive's seekable
/// reader finds it; its Zip64 end record instead when a locator stands before it.
Directory locate(Reader& reader) {
    auto searched = std::min(reader.size(), endSearch);
    auto tailStart = reader.size() - searched;
    auto tail = reader.at(tailStart, searched);
    if (tail.size() < endSize)
        refuse();
    auto found =
        std::string_view(tail).substr(0, tail.size() - endSize + endSignature.size()).rfind(endSignature);
    if (found == std::string_view::npos)
        refuse();
    std::string_view end = std::string_view(tail).substr(found, endSize);
    std::uint64_t endOffset = tailStart + found;
    Directory directory{};
    std::uint64_t directoryEnd = endOffset;
    if (endOffset >= zip64LocatorSize &&
        reader.at(endOffset - zip64LocatorSize, zip64LocatorSignature.size()) == zip64LocatorSignature) {
        auto locator = reader.at(endOffset - zip64LocatorSize, zip64LocatorSize);
        if (little(locator, 4, 4) != 0 || little(locator, 16, 4) != 1)
            refuse();
        std::uint64_t recordOffset = little(locator, 8, 8);
        if (recordOffset > endOffset - zip64LocatorSize)
            refuse();
        auto record = reader.at(recordOffset, zip64EndSize);
        if (std::string_view(record).substr(0, 4) != zip64EndSignature || little(record, 16, 4) != 0 ||
            little(record, 20, 4) != 0 || little(record, 24, 8) != little(record, 32, 8))
            refuse();
        directory = Directory{little(record, 48, 8), little(record, 40, 8), little(record, 32, 8)};
        directoryEnd = recordOffset;
    } else {
        if (little(end, 4, 2) != 0 || little(end, 6, 2) != 0 || little(end, 8, 2) != little(end, 10, 2))
            refuse();
        directory = Directory{little(end, 16, 4), little(end, 12, 4), little(end, 10, 2)};
    }
    // The directory ends where its end record starts: nothing between them, and nothing before the
    // archive that would move every offset.
    if (directory.offset > directoryEnd || directoryEnd - directory.offset != directory.size)
        refuse();
    return directory;
}

} // namespace

std::vector<ZipCentralDirectory::Entry> ZipCentralDirectory::read(const std::filesystem::path& file,
                                                                  std::size_t maximumEntries) {
    Reader reader(file);
    auto directory = locate(reader);
    if (directory.entries > maximumEntries)
        refuse();
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(directory.entries));
    std::uint64_t position = directory.offset;
    const std::uint64_t end = directory.offset + directory.size;
    while (position < end) {
        if (entries.size() == directory.entries || end - position < entrySize)
            refuse();
        auto header = reader.at(position, entrySize);
        if (std::string_view(header).substr(0, 4) != entrySignature)
            refuse();
        std::uint64_t nameSize = little(header, 28, 2);
        std::uint64_t variable = nameSize + little(header, 30, 2) + little(header, 32, 2);
        if (end - position - entrySize < variable)
            refuse();
        Entry entry{reader.at(position + entrySize, nameSize), std::nullopt};
        if (little(header, 4, 2) >> 8 == unixHost)
            entry.unixMode = static_cast<std::uint32_t>(little(header, 38, 4) >> 16);
        entries.push_back(std::move(entry));
        position += entrySize + variable;
    }
    if (entries.size() != directory.entries)
        refuse();
    return entries;
}

} // namespace velto
