#include "VeltoDesktop/Views/EnrollmentPromptPresentation.hpp"

#include "VeltoDesktop/Model/OrganizationNames.hpp"
#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"

namespace velto {

namespace {

std::vector<Enrollment> enrollmentsOf(const std::vector<JoinedOrganization>& joined, bool replacedOnly) {
    std::vector<Enrollment> out;
    for (const auto& organization : joined) {
        if (!replacedOnly || organization.replaced)
            out.push_back(organization.enrollment);
    }
    return out;
}

} // namespace

QString EnrollmentPromptPresentation::progressTitleOf(const EnrollmentProposal& proposal) {
    const auto authority = DisplayText::line(proposal.link.server().authority());
    return UserTexts::promptProgressTitle(static_cast<int>(proposal.organizationCount()), authority);
}

EnrollmentPromptPresentation::EnrollmentPromptPresentation(const std::optional<EnrollmentPrompt>& prompt) {
    if (!prompt)
        return;
    if (const auto* confirming = prompt->as<EnrollmentPrompt::Confirming>()) {
        stage = Stage::confirming;
        const auto& proposal = confirming->gate.proposal();
        const auto count = static_cast<int>(proposal.organizationCount());
        headline = UserTexts::promptHeadline(count);
        warning = UserTexts::promptWarning();
        codesLabel = UserTexts::promptCodesLabel(count);
        for (const auto& code : proposal.displayCodes())
            codes.push_back(QString::fromStdString(code));
        server.emplace(proposal.link.server());
        namingNote = UserTexts::promptNamingNote();
    } else if (const auto* enrolling = prompt->as<EnrollmentPrompt::Enrolling>()) {
        stage = Stage::enrolling;
        progressTitle = progressTitleOf(enrolling->proposal);
    } else if (const auto* joined = prompt->as<EnrollmentPrompt::Joined>()) {
        stage = Stage::joined;
        const auto& results = joined->results;
        const auto names =
            DisplayText::paragraph(OrganizationNames::list(enrollmentsOf(results.joined, false)));
        headline = UserTexts::promptJoinedHeadline(names);
        if (!results.joined.empty()) {
            const auto& first = results.joined.front().enrollment;
            joinedAs = UserTexts::promptJoinedAs(DisplayText::line(first.user.login),
                                                 DisplayText::line(first.server.authority()));
        }
        const auto replacedEnrollments = enrollmentsOf(results.joined, true);
        if (!replacedEnrollments.empty())
            replaced = UserTexts::promptReplaced(
                DisplayText::paragraph(OrganizationNames::list(replacedEnrollments)));
        if (auto summary = results.refusalSummary())
            refusalSummary = DisplayText::paragraph(*summary);
        expectation = UserTexts::promptExpectation(results.joined.size() == 1 ? names : QString());
    } else if (const auto* failed = prompt->as<EnrollmentPrompt::Failed>()) {
        stage = Stage::failed;
        headline = UserTexts::promptFailedHeadline();
        message = DisplayText::paragraph(failed->message);
    }
}

} // namespace velto
