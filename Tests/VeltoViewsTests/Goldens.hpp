#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QString>
#include <cstdlib>
#include <string>

namespace velto::testing {

/// Compares a grab with its golden picture in Tests/VeltoViewsTests/Goldens: the same size, and at
/// most 0.2 % of the pixels off by more than 3 in any channel. VELTO_UPDATE_GOLDENS=1 writes the
/// goldens instead.
inline void expectMatchesGolden(const QImage& grabbed, const std::string& name) {
    const auto path = QString(VELTO_VIEWS_GOLDENS) + "/" + QString::fromStdString(name) + ".png";
    const auto image = grabbed.convertToFormat(QImage::Format_RGB32);
    if (std::getenv("VELTO_UPDATE_GOLDENS")) {
        QDir().mkpath(VELTO_VIEWS_GOLDENS);
        ASSERT_TRUE(image.save(path)) << path.toStdString();
        return;
    }
    QImage golden(path);
    ASSERT_FALSE(golden.isNull()) << "no golden " << path.toStdString();
    golden = golden.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), golden.size()) << name;
    qint64 off = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(golden.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (std::abs(qRed(a[x]) - qRed(b[x])) > 3 || std::abs(qGreen(a[x]) - qGreen(b[x])) > 3 ||
                std::abs(qBlue(a[x]) - qBlue(b[x])) > 3)
                ++off;
        }
    }
    const qint64 allowed = static_cast<qint64>(image.width()) * image.height() * 2 / 1000;
    if (off > allowed)
        image.save(QDir::temp().filePath(QString::fromStdString(name) + "-actual.png"));
    EXPECT_LE(off, allowed) << name << ": " << off << " pixels differ (the grab is in the temporary folder)";
}

} // namespace velto::testing
