#pragma once

#include "VeltoDesktop/Views/UrlOpening.hpp"

#include <string>
#include <vector>

namespace velto::testing {

/// Keeps the pages it is asked to open and answers at once; `refuses` plays a desktop without a
/// browser; `holds` keeps the answers for the test to give.
class RecordingUrlOpening final : public UrlOpening {
public:
    using UrlOpening::open;
    void open(const boost::urls::url& url, Outcome outcome) override {
        opened.emplace_back(url.buffer());
        if (holds)
            pending.push_back(std::move(outcome));
        else if (outcome)
            outcome(!refuses);
    }

    std::vector<std::string> opened;
    bool refuses = false;
    bool holds = false;
    std::vector<Outcome> pending;
};

} // namespace velto::testing
