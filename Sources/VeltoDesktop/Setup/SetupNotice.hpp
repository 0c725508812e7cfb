#pragma once

#include "VeltoDesktop/Views/Tint.hpp"
#include "VeltoDevice/LoginItem/LoginItemAnswer.hpp"

#include <QString>
#include <QVariantMap>
#include <optional>
#include <string>

namespace velto {

/// The line under a step's points that tells what came of the user's last choice.
struct SetupNotice {
    QString text;
    Tint tint = Tint::red;

    /// The command-line step: the model's refusal, in red.
    static std::optional<SetupNotice> commandLineTool(const std::optional<std::string>& refusal);
    /// The open-at-login step: nothing for no answer or finished; the approval request in orange; a
    /// refusal's message in red.
    static std::optional<SetupNotice> openAtLogin(const std::optional<LoginItemAnswer>& answer);
    /// The notice as the views read it ("text", "tint"); empty for none.
    static QVariantMap map(const std::optional<SetupNotice>& notice);

    friend bool operator==(const SetupNotice&, const SetupNotice&) = default;
};

} // namespace velto
