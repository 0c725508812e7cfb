#include "VeltoDesktop/Setup/ScopeConsentRow.hpp"

#include "VeltoDesktop/Setup/ScopeAgreement.hpp"

namespace velto {

namespace {

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

} // namespace

std::vector<ScopeConsentRow> ScopeConsentRow::rows(const std::set<DeviceScope>& agreed) {
    std::vector<ScopeConsentRow> rows;
    for (auto scope : agreedDeviceScopes) {
        rows.push_back({scope, text(velto::title(scope)), text(velto::consent(scope)),
                        agreed.count(scope) > 0, ScopeAgreement::isEnabled(agreed, scope)});
    }
    return rows;
}

} // namespace velto
