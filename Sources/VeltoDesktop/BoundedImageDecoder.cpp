#include "VeltoDesktop/BoundedImageDecoder.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

namespace velto {

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
    const auto size = reader.size();
    if (!size.isValid() || size.isEmpty() || size.width() > maximumSourceSide ||
        size.height() > maximumSourceSide)
        return std::nullopt;
    if (size.width() > maximumSide || size.height() > maximumSide)
        reader.setScaledSize(size.scaled(maximumSide, maximumSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace velto
