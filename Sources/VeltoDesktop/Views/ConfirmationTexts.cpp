#include "VeltoDesktop/Views/ConfirmationTexts.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"

namespace velto {

namespace {

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

} // namespace

ConfirmationTexts ConfirmationTexts::consent(DeviceScope scope, const std::string& organizationName) {
    const auto name = DisplayText::line(organizationName);
    return {UserTexts::consentHeadline(text(title(scope)), name), text(velto::consent(scope)),
            UserTexts::consentNote(), UserTexts::allow(), false};
}

ConfirmationTexts ConfirmationTexts::removal(const std::string& organizationName) {
    const auto name = DisplayText::line(organizationName);
    return {UserTexts::removalHeadline(name), UserTexts::removalCaption(name), QString(),
            UserTexts::removalConfirm(name), true};
}

} // namespace velto
