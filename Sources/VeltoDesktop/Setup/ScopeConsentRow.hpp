#pragma once

#include "VeltoDevice/Scopes/DeviceScope.hpp"

#include <QString>
#include <set>
#include <vector>

namespace velto {

/// One kind of work on the federation step: its switch and, once on, its consent paragraph.
struct ScopeConsentRow {
    DeviceScope scope = DeviceScope::sreQuestions;
    QString title;
    QString consent;
    bool isOn = false;
    bool isEnabled = true;

    /// One row per agreed-order scope.
    static std::vector<ScopeConsentRow> rows(const std::set<DeviceScope>& agreed);

    friend bool operator==(const ScopeConsentRow&, const ScopeConsentRow&) = default;
};

} // namespace velto
