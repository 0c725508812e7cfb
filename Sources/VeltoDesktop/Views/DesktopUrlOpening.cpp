#include "VeltoDesktop/Views/DesktopUrlOpening.hpp"

#include "VeltoDesktop/AppLog.hpp"

#include <QDesktopServices>
#include <QUrl>

namespace velto {

bool DesktopUrlOpening::open(const boost::urls::url& url) {
    const auto scheme = url.scheme_id();
    if (scheme != boost::urls::scheme::https && scheme != boost::urls::scheme::http)
        return false;
    const auto& text = url.buffer();
    if (!QDesktopServices::openUrl(
            QUrl(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QUrl::StrictMode))) {
        appLog().error("could not open a page in the browser");
        return false;
    }
    return true;
}

} // namespace velto
