#pragma once

#include "VeltoDesktop/Views/UrlOpening.hpp"

namespace velto::benchmarks {

/// Takes every page and opens none.
class NoPages final : public UrlOpening {
public:
    using UrlOpening::open;
    void open(const boost::urls::url&, Outcome outcome) override {
        if (outcome)
            outcome(true);
    }
};

} // namespace velto::benchmarks
