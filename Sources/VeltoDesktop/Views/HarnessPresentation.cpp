#include "VeltoDesktop/Views/HarnessPresentation.hpp"

#include "VeltoDevice/Harness/HarnessVersion.hpp"

namespace velto {

HarnessPresentation::HarnessPresentation(const HarnessStatus& harness) {
    const std::string name(displayName(harness.kind));
    const auto* installed = harness.installedTool();
    if (!installed) {
        value = "Not installed";
        tone = VersionTone::muted;
        copyText = name + " not installed";
        return;
    }
    const std::string versionText = installed->version.value_or("unknown version");
    switch (installed->login) {
    case LoginState::signedOut:
        value = "Signed out";
        tone = VersionTone::attention;
        copyText = name + " " + versionText + ", signed out";
        break;
    case LoginState::unknown:
        value = "Sign-in unknown";
        tone = VersionTone::attention;
        copyText = name + " " + versionText + ", sign-in could not be checked";
        break;
    case LoginState::signedIn:
        value = HarnessVersion::number(installed->version).value_or("Unknown");
        tone = VersionTone::normal;
        copyText = name + " " + versionText;
        break;
    }
}

} // namespace velto
