#include "VeltoDesktop/Model/BoundedImageDecoder.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>

namespace velto {

namespace {

/// The logical screen of a GIF, from its header. The decoder paints every frame onto an image of
/// that size, whatever size the first frame (which the reader reports) has.
std::optional<QSize> gifScreen(std::string_view bytes) {
    if (bytes.size() < 10 || (bytes.substr(0, 6) != "GIF87a" && bytes.substr(0, 6) != "GIF89a"))
        return std::nullopt;
    auto byte = [&](std::size_t index) { return static_cast<int>(static_cast<unsigned char>(bytes[index])); };
    return QSize(byte(6) | (byte(7) << 8), byte(8) | (byte(9) << 8));
}

} // namespace

std::optional<QImage> BoundedImageDecoder::decode(const std::vector<std::uint8_t>& bytes) {
    return decode(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::optional<QImage> BoundedImageDecoder::decode(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > maximumBytes)
        return std::nullopt;
    auto data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(allocationLimitMiB);
    reader.setAutoTransform(true);
    // The limits apply to what the decoder allocates, not to what the reader reports.
    auto size = reader.size();
    if (reader.format() == "gif") {
        auto screen = gifScreen(bytes);
        if (!screen)
            return std::nullopt;
        size = size.expandedTo(*screen);
    }
    if (!size.isValid() || size.isEmpty() || size.width() > maximumSourceSide ||
        size.height() > maximumSourceSide)
        return std::nullopt;
    if (size.width() > maximumSide || size.height() > maximumSide)
        reader.setScaledSize(size.scaled(maximumSide, maximumSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    // A decoder that painted more than it announced is not trusted with the cache.
    if (image.isNull() || std::max(image.width(), image.height()) > maximumSide)
        return std::nullopt;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace velto
