#include "VeltoDevice/Support/PropertyListScreen.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace velto {

namespace {

constexpr std::string_view binaryMagic = "bplist00";
constexpr std::size_t trailerSize = 32;

/// The big-endian unsigned integer of `size` bytes (1 to 8) at `offset`; nothing when outside.
std::optional<std::uint64_t> number(std::string_view bytes, std::uint64_t offset, std::uint64_t size) {
    if (size == 0 || size > 8 || offset > bytes.size() || bytes.size() - offset < size)
        return std::nullopt;
    std::uint64_t value = 0;
    for (std::uint64_t i = 0; i < size; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

/// One object of a binary plist, as far as the screen needs it.
struct Object {
    std::vector<std::uint64_t> references;
};

class BinaryPlist {
public:
    explicit BinaryPlist(std::string_view bytes) : bytes_(bytes) {}

    bool admits() {
        if (!readTrailer())
            return false;
        return depthFromTop();
    }

private:
    bool readTrailer() {
        if (bytes_.size() < binaryMagic.size() + trailerSize)
            return false;
        auto trailer = bytes_.size() - trailerSize;
        offsetSize_ = static_cast<unsigned char>(bytes_[trailer + 6]);
        referenceSize_ = static_cast<unsigned char>(bytes_[trailer + 7]);
        auto count = number(bytes_, trailer + 8, 8);
        auto top = number(bytes_, trailer + 16, 8);
        auto table = number(bytes_, trailer + 24, 8);
        if (offsetSize_ == 0 || offsetSize_ > 8 || referenceSize_ == 0 || referenceSize_ > 8 || !count ||
            !top || !table || *count == 0 || *top >= *count || *table < binaryMagic.size() ||
            *table > trailer)
            return false;
        if ((trailer - *table) / offsetSize_ < *count)
            return false;
        count_ = *count;
        top_ = *top;
        table_ = *table;
        return true;
    }

    /// The count that follows a marker whose low nibble is 0xF: an integer object of its own.
    std::optional<std::uint64_t> length(std::uint64_t& position, unsigned nibble) const {
        if (nibble != 0xF)
            return nibble;
        auto marker = number(bytes_, position, 1);
        if (!marker || (*marker & 0xF0) != 0x10 || (*marker & 0x0F) > 3)
            return std::nullopt;
        std::uint64_t size = std::uint64_t{1} << (*marker & 0x0F);
        auto value = number(bytes_, position + 1, size);
        position += 1 + size;
        return value;
    }

    /// Reads the object at the index: its references when a container; nothing when it lies outside
    /// the file or is a string that holds a NUL.
    std::optional<Object> object(std::uint64_t index) const {
        auto offset = number(bytes_, table_ + index * offsetSize_, offsetSize_);
        if (!offset || *offset < binaryMagic.size() || *offset >= table_)
            return std::nullopt;
        auto marker = static_cast<unsigned char>(bytes_[*offset]);
        unsigned type = marker >> 4;
        std::uint64_t position = *offset + 1;
        Object found;
        if (type != 0x5 && type != 0x6 && type != 0xA && type != 0xC && type != 0xD)
            return found;
        auto count = length(position, marker & 0x0F);
        if (!count || position > table_)
            return std::nullopt;
        std::uint64_t room = table_ - position;
        if (type == 0x5 || type == 0x6) {
            std::uint64_t unit = type == 0x5 ? 1 : 2;
            if (*count > room / unit)
                return std::nullopt;
            for (std::uint64_t i = 0; i < *count; ++i) {
                bool nul = unit == 1
                               ? bytes_[position + i] == '\0'
                               : bytes_[position + 2 * i] == '\0' && bytes_[position + 2 * i + 1] == '\0';
                if (nul)
                    return std::nullopt;
            }
            return found;
        }
        std::uint64_t references = type == 0xD ? 2 : 1;
        if (*count > room / referenceSize_ / references)
            return std::nullopt;
        for (std::uint64_t i = 0; i < *count * references; ++i) {
            auto reference = number(bytes_, position + i * referenceSize_, referenceSize_);
            if (!reference || *reference >= count_)
                return std::nullopt;
            found.references.push_back(*reference);
        }
        return found;
    }

    /// A depth-first walk from the top object without recursion, keeping the longest chain of
    /// containers below each object so that shared objects are read once.
    bool depthFromTop() {
        enum class Mark : std::uint8_t { unseen, open, done };
        std::vector<Mark> marks(count_, Mark::unseen);
        std::vector<std::uint32_t> depths(count_, 0);
        struct Frame {
            std::uint64_t index;
            std::vector<std::uint64_t> references;
            std::size_t next = 0;
        };
        std::vector<Frame> stack;
        auto open = [&](std::uint64_t index) {
            auto found = object(index);
            if (!found)
                return false;
            marks[index] = Mark::open;
            stack.push_back(Frame{index, std::move(found->references)});
            return stack.size() <= PropertyListScreen::maximumDepth + 1;
        };
        if (!open(top_))
            return false;
        while (!stack.empty()) {
            auto& frame = stack.back();
            if (frame.next == frame.references.size()) {
                std::uint32_t depth = 0;
                for (auto reference : frame.references)
                    depth = std::max(depth, depths[reference] + 1);
                if (depth > PropertyListScreen::maximumDepth)
                    return false;
                depths[frame.index] = depth;
                marks[frame.index] = Mark::done;
                stack.pop_back();
                continue;
            }
            auto child = frame.references[frame.next++];
            if (marks[child] == Mark::open)
                return false;
            if (marks[child] == Mark::unseen && !open(child))
                return false;
        }
        return true;
    }

    std::string_view bytes_;
    unsigned offsetSize_ = 0;
    unsigned referenceSize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t top_ = 0;
    std::uint64_t table_ = 0;
};

} // namespace

bool PropertyListScreen::admits(std::string_view bytes) {
    if (!bytes.starts_with(binaryMagic))
        return bytes.find('\0') == std::string_view::npos;
    return BinaryPlist(bytes).admits();
}

} // namespace velto
