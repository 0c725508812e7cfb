#include "VeltoDesktop/Setup/SetupNames.hpp"

#include "VeltoDesktop/Model/OrganizationNames.hpp"
#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"

namespace velto {

QString SetupNames::organizations(const std::vector<Enrollment>& enrollments) {
    // Each name is isolated before joining, so that one name's direction cannot reorder the others.
    auto shown = enrollments;
    for (auto& enrollment : shown)
        enrollment.organization.name = DisplayText::line(enrollment.organization.name).toStdString();
    return QString::fromStdString(OrganizationNames::list(shown));
}

QString SetupNames::organizationsOrYours(const std::vector<Enrollment>& enrollments) {
    return enrollments.empty() ? UserTexts::yourOrganization() : organizations(enrollments);
}

QString SetupNames::firstName(const std::optional<Enrollment::User>& user) {
    if (!user)
        return UserTexts::welcome();
    if (user->name) {
        std::string_view name = *user->name;
        while (!name.empty()) {
            const auto space = name.find(' ');
            const auto piece = name.substr(0, space);
            if (!piece.empty())
                return DisplayText::line(piece);
            if (space == std::string_view::npos)
                break;
            name.remove_prefix(space + 1);
        }
    }
    return DisplayText::line(user->login);
}

} // namespace velto
