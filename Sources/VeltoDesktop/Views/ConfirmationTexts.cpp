#include "VeltoDesktop/Views/ConfirmationTexts.hpp"

#include "VeltoDesktop/Views/DisplayText.hpp"

namespace velto {

namespace {

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

} // namespace

ConfirmationTexts ConfirmationTexts::consent(DeviceScope scope, const std::string& organizationName) {
    const auto name = DisplayText::line(organizationName);
    return {"Allow " + text(title(scope)) + " for " + name + "?", text(velto::consent(scope)),
            "Turn it off here at any time; a run already under way finishes.", "Allow", false};
}

ConfirmationTexts ConfirmationTexts::removal(const std::string& organizationName) {
    const auto name = DisplayText::line(organizationName);
    return {"Remove " + name + " from this Mac?",
            name + " lists this Mac until someone revokes it in Devices.", QString(), "Remove " + name, true};
}

} // namespace velto
