#include "VeltoDesktop/Setup/SetupNotice.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"

namespace velto {

std::optional<SetupNotice> SetupNotice::commandLineTool(const std::optional<std::string>& refusal) {
    if (!refusal)
        return std::nullopt;
    return SetupNotice{DisplayText::paragraph(*refusal), Tint::red};
}

std::optional<SetupNotice> SetupNotice::openAtLogin(const std::optional<LoginItemAnswer>& answer) {
    if (!answer)
        return std::nullopt;
    switch (answer->kind) {
    case LoginItemAnswer::Case::finished:
        return std::nullopt;
    case LoginItemAnswer::Case::awaitingApproval:
        return SetupNotice{UserTexts::awaitingLoginApproval(), Tint::orange};
    case LoginItemAnswer::Case::notTurnedOn:
        return SetupNotice{
            DisplayText::paragraph(answer->refusal ? answer->refusal->message() : std::string()), Tint::red};
    }
    return std::nullopt;
}

QVariantMap SetupNotice::map(const std::optional<SetupNotice>& notice) {
    if (!notice)
        return {};
    return {{QStringLiteral("text"), notice->text}, {QStringLiteral("tint"), static_cast<int>(notice->tint)}};
}

} // namespace velto
