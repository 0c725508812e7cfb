#pragma once

#include "VeltoDesktop/Views/UrlOpening.hpp"

namespace velto {

/// Opens pages through the desktop's URL handler (`QDesktopServices::openUrl`); http and https only.
class DesktopUrlOpening final : public UrlOpening {
public:
    bool open(const boost::urls::url& url) override;
};

} // namespace velto
