#include "VeltoDesktop/Views/HarnessPresentation.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDevice/Harness/HarnessVersion.hpp"

namespace velto {

namespace {

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

} // namespace

HarnessPresentation::HarnessPresentation(const HarnessStatus& harness) {
    const auto name = text(displayName(harness.kind));
    const auto* installed = harness.installedTool();
    if (!installed) {
        value = UserTexts::harnessValue(UserTexts::Harness::notInstalled).toStdString();
        tone = VersionTone::muted;
        copyText =
            UserTexts::harnessCopyText(name, QString(), UserTexts::Harness::notInstalled).toStdString();
        return;
    }
    const auto versionText = installed->version ? text(*installed->version) : UserTexts::unknownVersion();
    auto shown = UserTexts::Harness::signedIn;
    switch (installed->login) {
    case LoginState::signedOut:
        shown = UserTexts::Harness::signedOut;
        value = UserTexts::harnessValue(shown).toStdString();
        tone = VersionTone::attention;
        break;
    case LoginState::unknown:
        shown = UserTexts::Harness::signInUnknown;
        value = UserTexts::harnessValue(shown).toStdString();
        tone = VersionTone::attention;
        break;
    case LoginState::signedIn:
        value = HarnessVersion::number(installed->version)
                    .value_or(UserTexts::harnessValue(UserTexts::Harness::signedIn).toStdString());
        tone = VersionTone::normal;
        break;
    }
    copyText = UserTexts::harnessCopyText(name, versionText, shown).toStdString();
}

} // namespace velto
