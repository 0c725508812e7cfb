#include "Goldens.hpp"

#include <QDir>
#include <QFileInfo>
#include <cstdlib>

namespace velto::testing {

namespace {

constexpr int channelTolerance = 3;
constexpr double pixelShare = 0.002;

QString goldenPath(const QString& name) {
    return QStringLiteral(VELTO_VIEWS_GOLDENS) + "/" + name + ".png";
}

bool differs(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) > channelTolerance ||
           std::abs(qGreen(a) - qGreen(b)) > channelTolerance ||
           std::abs(qBlue(a) - qBlue(b)) > channelTolerance ||
           std::abs(qAlpha(a) - qAlpha(b)) > channelTolerance;
}

} // namespace

::testing::AssertionResult matchesGolden(const QImage& screenshot, const QString& name) {
    const auto shot = screenshot.convertToFormat(QImage::Format_ARGB32);
    const auto path = goldenPath(name);
    if (qEnvironmentVariable("VELTO_UPDATE_GOLDENS") == QLatin1String("1")) {
        QDir().mkpath(QFileInfo(path).path());
        if (!shot.save(path))
            return ::testing::AssertionFailure() << "could not write " << path.toStdString();
        return ::testing::AssertionSuccess();
    }
    QImage golden(path);
    const auto kept =
        QDir::current().filePath(QStringLiteral("failed-") + QString(name).replace('/', '-') + ".png");
    if (golden.isNull()) {
        shot.save(kept);
        return ::testing::AssertionFailure()
               << "no golden " << path.toStdString() << " (screenshot in " << kept.toStdString() << ")";
    }
    golden = golden.convertToFormat(QImage::Format_ARGB32);
    if (golden.size() != shot.size()) {
        shot.save(kept);
        return ::testing::AssertionFailure()
               << name.toStdString() << ": " << shot.width() << "x" << shot.height()
               << " against the golden's " << golden.width() << "x" << golden.height();
    }
    qint64 different = 0;
    for (int y = 0; y < shot.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(golden.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x)
            different += differs(a[x], b[x]) ? 1 : 0;
    }
    const auto allowed = static_cast<qint64>(pixelShare * shot.width() * shot.height());
    if (different > allowed) {
        shot.save(kept);
        return ::testing::AssertionFailure()
               << name.toStdString() << ": " << different << " pixels differ, at most " << allowed
               << " may (screenshot in " << kept.toStdString() << ")";
    }
    return ::testing::AssertionSuccess();
}

} // namespace velto::testing
