#include "VeltoDesktop/Views/OrganizationRowPresentation.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"
#include "VeltoDesktop/Views/Monogram.hpp"

namespace velto {

OrganizationRowPresentation::OrganizationRowPresentation(const EnrolledOrganization& organization,
                                                         bool isPaused, const ScopeChoices& choices)
    : connection(organization.state, isPaused) {
    const auto& enrollment = organization.enrollment;
    name = DisplayText::line(enrollment.organization.name);
    tooltip = UserTexts::organizationTooltip(name, DisplayText::line(enrollment.server.authority()));
    actionsLabel = UserTexts::organizationActions(name);
    if (connection.detail)
        detail = DisplayText::paragraph(*connection.detail);
    else if (auto note = choices.takenAwayNote())
        detail = QString::fromStdString(*note);
    if (choices.refusal)
        problem = DisplayText::paragraph(*choices.refusal);
    monogram = Monogram::of(enrollment.organization.name).value_or(QString());
    if (enrollment.organization.avatarURL)
        pictureAddress = std::string(enrollment.organization.avatarURL->buffer());
    scopeItems = choices.items();
}

} // namespace velto
