#include "VeltoDesktop/Setup/FirstEnrollment.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"
#include "VeltoDesktop/Views/Monogram.hpp"
#include "VeltoDesktop/Views/ProfileBadge.hpp"

namespace velto {

QVariantMap FirstEnrollment::of(const std::vector<Enrollment>& enrollments) {
    if (enrollments.empty())
        return {{QStringLiteral("exists"), false},
                {QStringLiteral("organizationName"), UserTexts::yourOrganizationTitle()},
                {QStringLiteral("monogram"), QStringLiteral("V")},
                {QStringLiteral("userTitle"), UserTexts::you()}};
    const auto& first = enrollments.front();
    const ProfileBadge user(first.user);
    const auto& picture = first.organization.avatarURL;
    return {{QStringLiteral("exists"), true},
            {QStringLiteral("deviceId"), QString::fromStdString(first.deviceId)},
            {QStringLiteral("organizationName"), DisplayText::line(first.organization.name)},
            {QStringLiteral("organizationAddress"),
             picture ? QString::fromUtf8(picture->buffer().data(),
                                         static_cast<qsizetype>(picture->buffer().size()))
                     : QString()},
            {QStringLiteral("monogram"), Monogram::of(first.organization.name).value_or(QStringLiteral("V"))},
            {QStringLiteral("userTitle"), user.name},
            {QStringLiteral("userAddress"), QString::fromStdString(user.avatarAddress)},
            {QStringLiteral("userInitial"), user.initial}};
}

} // namespace velto
