#pragma once

#include "VeltoDesktop/Model/EnrolledOrganization.hpp"
#include "VeltoDesktop/Views/ConnectionPresentation.hpp"
#include "VeltoDesktop/Views/ScopeChoices.hpp"

#include <QString>
#include <optional>
#include <string>

namespace velto {

/// One organization row of the menu: its name, the line's tooltip, the connection, the detail and
/// problem lines under it, the logo's monogram and picture address, and the menu's scope items.
struct OrganizationRowPresentation {
    QString name;
    /// name + " on " + the server's authority.
    QString tooltip;
    /// "Actions for " + name.
    QString actionsLabel;
    ConnectionPresentation connection;
    /// The connection's detail, else the admin note.
    std::optional<QString> detail;
    /// The refused answer.
    std::optional<QString> problem;
    QString monogram;
    std::string pictureAddress;
    std::vector<ScopeChoices::Item> scopeItems;

    OrganizationRowPresentation(const EnrolledOrganization& organization, bool isPaused,
                                const ScopeChoices& choices);
};

} // namespace velto
