#pragma once

#include "VeltoDevice/Harness/HarnessStatus.hpp"

#include <string>

namespace velto {

/// The tone of a label-and-value row's value.
enum class VersionTone { normal, attention, muted };

/// How one harness shows in the harness list: its value, tone and what "Copy Version" copies.
struct HarnessPresentation {
    std::string value;
    VersionTone tone = VersionTone::normal;
    std::string copyText;

    explicit HarnessPresentation(const HarnessStatus& harness);
};

} // namespace velto
