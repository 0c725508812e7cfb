#include "VeltoDesktop/BoundedImageDecoder.hpp"

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
        {"no picture", {'<', 'h', 't', 'm', 'l', '>'}, std::nullopt},
        {"empty", {}, std::nullopt},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        auto image = BoundedImageDecoder::decode(test.bytes);
        ASSERT_EQ(image.has_value(), test.size.has_value());
        if (image) {
            EXPECT_EQ(image->size(), *test.size);
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
