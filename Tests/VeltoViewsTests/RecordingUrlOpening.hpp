#pragma once

#include "VeltoDesktop/Views/UrlOpening.hpp"

#include <string>
#include <vector>

namespace velto::testing {

/// Keeps the pages it is asked to open; `refuses` plays a desktop without a browser.
class RecordingUrlOpening final : public UrlOpening {
public:
    bool open(const boost::urls::url& url) override {
        opened.emplace_back(url.buffer());
        return !refuses;
    }

    std::vector<std::string> opened;
    bool refuses = false;
};

} // namespace velto::testing
