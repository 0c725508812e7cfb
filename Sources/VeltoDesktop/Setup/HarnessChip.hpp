#pragma once

#include "VeltoDevice/Harness/HarnessStatus.hpp"

#include <QString>
#include <vector>

namespace velto {

/// One installed harness on the federation step, marked when it is not signed in.
struct HarnessChip {
    HarnessKind kind = HarnessKind::claudeCode;
    QString name;
    bool isSignedIn = false;

    /// One chip per installed harness, in the given order.
    static std::vector<HarnessChip> chips(const std::vector<HarnessStatus>& harnesses);

    friend bool operator==(const HarnessChip&, const HarnessChip&) = default;
};

} // namespace velto
