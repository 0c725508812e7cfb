#include "VeltoDesktop/Views/ProfileBadge.hpp"

#include "VeltoDesktop/Views/DisplayText.hpp"
#include "VeltoDesktop/Views/Monogram.hpp"
#include "VeltoDevice/Support/UnicodeText.hpp"

namespace velto {

namespace {

bool isBlank(const std::optional<std::string>& text) {
    return !text || unicode::trimmingWhitespace(*text).empty();
}

} // namespace

ProfileBadge::ProfileBadge(const Enrollment::User& user) {
    const std::string& shownName = isBlank(user.name) ? user.login : *user.name;
    name = DisplayText::line(shownName);
    secondLine = isBlank(user.email) ? DisplayText::line("@" + user.login) : DisplayText::line(*user.email);
    initial = Monogram::of(shownName).value_or(Monogram::of(user.login).value_or(QString()));
    if (user.avatarURL)
        avatarAddress = std::string(user.avatarURL->buffer());
}

} // namespace velto
