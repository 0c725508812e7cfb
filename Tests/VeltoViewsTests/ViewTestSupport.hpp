#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <string>

namespace velto::testing {

/// A picture's bytes in a format the decoder reads.
inline std::string encodedPicture(int width, int height, QColor color = Qt::red, const char* format = "PNG") {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

} // namespace velto::testing
