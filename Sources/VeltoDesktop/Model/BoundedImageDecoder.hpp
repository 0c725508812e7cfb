#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace velto {

/// Decodes a picture that came from outside without letting it cost more than a picture shown at a
/// small size should: pictures larger than `maximumSourceSide` on a side, or whose decoding would
/// allocate more than `allocationLimitMiB`, are refused; the rest are scaled to at most
/// `maximumSide` pixels on a side. The sizes judged are those the decoder allocates: for a GIF, its
/// logical screen, which may be far larger than the first frame that the reader reports. Blocking:
/// run it off the main thread.
class BoundedImageDecoder {
public:
    static constexpr int maximumSide = 256;
    static constexpr int maximumSourceSide = 8192;
    static constexpr int allocationLimitMiB = 64;
    static constexpr std::size_t maximumBytes = 5 * 1024 * 1024;

    /// Nothing when the bytes are no picture, or one too large to decode.
    static std::optional<QImage> decode(std::string_view bytes);
    static std::optional<QImage> decode(const std::vector<std::uint8_t>& bytes);
};

} // namespace velto
