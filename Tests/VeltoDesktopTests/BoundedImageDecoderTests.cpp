#include "VeltoDesktop/Model/BoundedImageDecoder.hpp"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <string>
#include <vector>

namespace velto {
namespace {

std::vector<std::uint8_t> png(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(20, 120, 200, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return {bytes.begin(), bytes.end()};
}

/// A GIF of one white 1 x 1 frame on a logical screen of `width` x `height`: 38 bytes.
std::vector<std::uint8_t> gif(int width, int height) {
    std::vector<std::uint8_t> bytes{'G', 'I', 'F', '8', '9', 'a'};
    auto little = [&](int value) {
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    };
    little(width);
    little(height);
    // A global table of two colours, black and white, then an empty comment.
    bytes.insert(bytes.end(), {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x21, 0xFE, 0x00});
    bytes.push_back(0x2C); // the frame: at 0,0, 1 x 1, no table of its own
    little(0);
    little(0);
    little(1);
    little(1);
    bytes.push_back(0x00);
    // LZW with 2-bit codes: clear, index 1, end; then the trailer.
    bytes.insert(bytes.end(), {0x02, 0x02, 0x4C, 0x01, 0x00, 0x3B});
    return bytes;
}

TEST(BoundedImageDecoder, LargePicturesAreScaledOrRefusedAndTheRestKeepTheirSize) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::optional<QSize> size;
    };
    const std::vector<Case> cases{
        {"small", png(2, 3), QSize(2, 3)},
        {"wide, scaled to the side", png(600, 300), QSize(256, 128)},
        // 120 MiB at full size: read scaled, within the allocation limit.
        {"5600 x 5600", png(5600, 5600), QSize(256, 256)},
        {"a side over the source limit", png(9000, 2), std::nullopt},
        {"a GIF of one frame as large as its screen", gif(1, 1), QSize(1, 1)},
        // The reader reports the 1 x 1 frame; the decoder paints it on a 4096 x 4096 screen (64 MiB).
        {"a GIF whose screen is far larger than its frame", gif(4096, 4096), QSize(256, 256)},
        {"a GIF whose screen is over the source limit", gif(9000, 1), std::nullopt},
        {"no picture", {'<', 'h', 't', 'm', 'l', '>'}, std::nullopt},
        {"empty", {}, std::nullopt},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        auto image = BoundedImageDecoder::decode(test.bytes);
        ASSERT_EQ(image.has_value(), test.size.has_value());
        if (image) {
            EXPECT_EQ(image->size(), *test.size);
            EXPECT_EQ(image->format(), QImage::Format_ARGB32_Premultiplied);
        }
    }
}

TEST(BoundedImageDecoder, BytesOverTheLimitAreNotRead) {
    auto bytes = png(4, 4);
    bytes.resize(BoundedImageDecoder::maximumBytes + 1, 0);
    EXPECT_FALSE(BoundedImageDecoder::decode(bytes));
}

} // namespace
} // namespace velto
