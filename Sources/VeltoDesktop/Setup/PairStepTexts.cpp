#include "VeltoDesktop/Setup/PairStepTexts.hpp"

#include "VeltoDesktop/Setup/SetupNames.hpp"
#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"

namespace velto {

QString PairStepTexts::title(const PairStage& stage) {
    switch (stage.kind()) {
    case PairStage::Case::address:
        return UserTexts::pairTitle(UserTexts::PairStage::address);
    case PairStage::Case::waitingForBrowser:
        return UserTexts::pairTitle(UserTexts::PairStage::waitingForBrowser);
    case PairStage::Case::pairing:
        return UserTexts::pairTitle(UserTexts::PairStage::pairing);
    case PairStage::Case::confirming:
        return UserTexts::pairTitle(UserTexts::PairStage::confirming);
    case PairStage::Case::paired: {
        const auto& enrollments = stage.as<PairStage::Paired>()->enrollments;
        std::optional<Enrollment::User> user;
        if (!enrollments.empty())
            user = enrollments.front().user;
        return UserTexts::pairedTitle(SetupNames::firstName(user), SetupNames::organizations(enrollments));
    }
    case PairStage::Case::failed:
        return UserTexts::pairTitle(UserTexts::PairStage::failed);
    }
    return {};
}

QString PairStepTexts::message(const PairStage& stage) {
    switch (stage.kind()) {
    case PairStage::Case::address:
        return UserTexts::pairMessage(UserTexts::PairStage::address);
    case PairStage::Case::waitingForBrowser:
        return UserTexts::pairMessage(UserTexts::PairStage::waitingForBrowser);
    case PairStage::Case::pairing:
        return UserTexts::pairMessage(UserTexts::PairStage::pairing);
    case PairStage::Case::confirming:
        return UserTexts::pairMessage(UserTexts::PairStage::confirming);
    case PairStage::Case::paired: {
        const auto* paired = stage.as<PairStage::Paired>();
        if (paired->refusals)
            return DisplayText::paragraph(*paired->refusals);
        return UserTexts::pairedMessage(SetupNames::organizationsOrYours(paired->enrollments));
    }
    case PairStage::Case::failed:
        return DisplayText::paragraph(stage.as<PairStage::Failed>()->message);
    }
    return {};
}

} // namespace velto
