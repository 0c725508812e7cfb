#pragma once

#include "VeltoDesktop/Views/UrlOpening.hpp"

namespace velto::benchmarks {

/// Takes every page and opens none.
class NoPages final : public UrlOpening {
public:
    bool open(const boost::urls::url&) override { return true; }
};

} // namespace velto::benchmarks
