#include "VeltoDesktop/Setup/PairStepTexts.hpp"

#include "VeltoDesktop/Setup/SetupNames.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"

namespace velto {

QString PairStepTexts::title(const PairStage& stage) {
    switch (stage.kind()) {
    case PairStage::Case::address:
        return QStringLiteral("Connect to Velto");
    case PairStage::Case::waitingForBrowser:
        return QStringLiteral("Finish in your browser");
    case PairStage::Case::pairing:
        return QStringLiteral("Pairing…");
    case PairStage::Case::confirming:
        return QStringLiteral("Pair this Mac?");
    case PairStage::Case::paired: {
        const auto& enrollments = stage.as<PairStage::Paired>()->enrollments;
        std::optional<Enrollment::User> user;
        if (!enrollments.empty())
            user = enrollments.front().user;
        return SetupNames::firstName(user) + QStringLiteral(", you're in ") +
               SetupNames::organizations(enrollments) + QStringLiteral(".");
    }
    case PairStage::Case::failed:
        return QStringLiteral("That didn't work");
    }
    return {};
}

QString PairStepTexts::message(const PairStage& stage) {
    switch (stage.kind()) {
    case PairStage::Case::address:
        return QStringLiteral(
            "Sign in to your organization's Velto and pair this Mac. Its key never leaves the "
            "Secure Enclave, so only this Mac can use the pairing.");
    case PairStage::Case::waitingForBrowser:
        return QStringLiteral("On the Devices page, choose Add this Mac. Velto comes back here when you do.");
    case PairStage::Case::pairing:
        return QStringLiteral("Creating this Mac's key and proving it to Velto.");
    case PairStage::Case::confirming:
        return QStringLiteral(
            "Continue only if you just chose Add this Mac. Any website can open a Velto link.");
    case PairStage::Case::paired: {
        const auto* paired = stage.as<PairStage::Paired>();
        if (paired->refusals)
            return DisplayText::paragraph(*paired->refusals);
        return QStringLiteral("This Mac is paired. Next, choose what it does for ") +
               SetupNames::organizationsOrYours(paired->enrollments) + QStringLiteral(".");
    }
    case PairStage::Case::failed:
        return DisplayText::paragraph(stage.as<PairStage::Failed>()->message);
    }
    return {};
}

} // namespace velto
