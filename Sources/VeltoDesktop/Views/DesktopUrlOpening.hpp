#pragma once

#include "VeltoDesktop/Views/UrlOpening.hpp"

#include <QString>
#include <chrono>
#include <memory>

class QObject;

namespace velto {

/// Opens http and https pages through the desktop's opener (`xdg-open URL`). The opener's exit says
/// whether a browser took the page: a non-zero exit, a signal or an opener that cannot start is "not
/// opened". An opener still running after `grace` has handed the page to a browser that it keeps in
/// the foreground, and counts as opened. Openers still running when this is destroyed are stopped.
class DesktopUrlOpening final : public UrlOpening {
public:
    static constexpr std::chrono::milliseconds defaultGrace{5000};

    explicit DesktopUrlOpening(QString program = QStringLiteral("xdg-open"),
                               std::chrono::milliseconds grace = defaultGrace);
    ~DesktopUrlOpening() override;
    DesktopUrlOpening(const DesktopUrlOpening&) = delete;
    DesktopUrlOpening& operator=(const DesktopUrlOpening&) = delete;

    using UrlOpening::open;
    void open(const boost::urls::url& url, Outcome outcome) override;

private:
    QString program_;
    std::chrono::milliseconds grace_;
    /// Parent of the running openers, so that they end with this.
    std::unique_ptr<QObject> openers_;
};

} // namespace velto
