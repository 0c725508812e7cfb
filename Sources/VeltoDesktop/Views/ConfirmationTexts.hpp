#pragma once

#include "VeltoDevice/Scopes/DeviceScope.hpp"

#include <QString>

namespace velto {

/// The texts of the organization card's two confirmations.
struct ConfirmationTexts {
    QString headline;
    QString caption;
    /// The consent's "Turn it off here…" line; empty for a removal.
    QString note;
    QString confirmTitle;
    bool isDestructive = false;

    /// "Allow <title> for <name>?", the scope's caption, "Turn it off here at any time; a run already
    /// under way finishes.", "Allow".
    static ConfirmationTexts consent(DeviceScope scope, const std::string& organizationName);
    /// "Remove <name> from this computer?", "<name> lists this computer until someone revokes it in
    /// Devices.", "Remove <name>", destructive.
    static ConfirmationTexts removal(const std::string& organizationName);
};

} // namespace velto
