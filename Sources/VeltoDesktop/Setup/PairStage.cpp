#include "VeltoDesktop/Setup/PairStage.hpp"

namespace velto {

PairStage PairStage::of(const std::optional<EnrollmentPrompt>& prompt,
                        const std::vector<Enrollment>& enrollments, bool isWaitingForBrowser) {
    if (prompt) {
        if (auto confirming = prompt->as<EnrollmentPrompt::Confirming>())
            return {Confirming{confirming->gate}};
        if (prompt->as<EnrollmentPrompt::Enrolling>())
            return {Pairing{}};
        if (auto joined = prompt->as<EnrollmentPrompt::Joined>()) {
            Paired paired;
            for (const auto& organization : joined->results.joined)
                paired.enrollments.push_back(organization.enrollment);
            paired.refusals = joined->results.refusalSummary();
            return {std::move(paired)};
        }
        if (auto failed = prompt->as<EnrollmentPrompt::Failed>())
            return {Failed{failed->message}};
    }
    if (!enrollments.empty())
        return {Paired{enrollments, std::nullopt}};
    if (isWaitingForBrowser)
        return {WaitingForBrowser{}};
    return {Address{}};
}

std::string_view PairStage::name() const {
    switch (kind()) {
    case Case::confirming:
        return "confirming";
    case Case::paired:
        return "paired";
    case Case::failed:
        return "failed";
    case Case::address:
        return "address";
    case Case::waitingForBrowser:
        return "waitingForBrowser";
    case Case::pairing:
        return "pairing";
    }
    return "address";
}

} // namespace velto
