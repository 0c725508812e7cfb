#include "VeltoDesktop/Views/EnrollmentPromptPresentation.hpp"

#include "VeltoDesktop/OrganizationNames.hpp"
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
    const auto count = proposal.organizationCount();
    if (count == 1)
        return "Enrolling on " + authority + QChar(0x2026);
    return "Enrolling in " + QString::number(count) + " organizations on " + authority + QChar(0x2026);
}

EnrollmentPromptPresentation::EnrollmentPromptPresentation(const std::optional<EnrollmentPrompt>& prompt) {
    if (!prompt)
        return;
    if (const auto* confirming = prompt->as<EnrollmentPrompt::Confirming>()) {
        stage = Stage::confirming;
        const auto& proposal = confirming->gate.proposal();
        const auto count = proposal.organizationCount();
        headline = count == 1 ? QStringLiteral("Enroll this Mac?")
                              : "Enroll this Mac in " + QString::number(count) + " organizations?";
        warning = QStringLiteral(
            "Continue only if you just chose Add this Mac in Velto. Any website can open a Velto link.");
        codesLabel = count == 1 ? QStringLiteral("Code") : QStringLiteral("Codes");
        for (const auto& code : proposal.displayCodes())
            codes.push_back(QString::fromStdString(code));
        server.emplace(proposal.link.server());
        namingNote = QStringLiteral("Velto names each organization once it accepts its code. Organizations "
                                    "this Mac is already in stay.");
    } else if (const auto* enrolling = prompt->as<EnrollmentPrompt::Enrolling>()) {
        stage = Stage::enrolling;
        progressTitle = progressTitleOf(enrolling->proposal);
    } else if (const auto* joined = prompt->as<EnrollmentPrompt::Joined>()) {
        stage = Stage::joined;
        const auto& results = joined->results;
        const auto names =
            DisplayText::paragraph(OrganizationNames::list(enrollmentsOf(results.joined, false)));
        headline = "This Mac joined " + names;
        if (!results.joined.empty()) {
            const auto& first = results.joined.front().enrollment;
            joinedAs = "As " + DisplayText::line(first.user.login) + " in " +
                       DisplayText::line(first.server.authority()) + ".";
        }
        const auto replacedEnrollments = enrollmentsOf(results.joined, true);
        if (!replacedEnrollments.empty())
            replaced = "Its earlier pairing in " +
                       DisplayText::paragraph(OrganizationNames::list(replacedEnrollments)) + " is replaced.";
        if (auto summary = results.refusalSummary())
            refusalSummary = DisplayText::paragraph(*summary);
        expectation = "If you did not expect " +
                      (results.joined.size() == 1 ? names : QStringLiteral("one of these")) +
                      ", remove it from this Mac in the menu.";
    } else if (const auto* failed = prompt->as<EnrollmentPrompt::Failed>()) {
        stage = Stage::failed;
        headline = QStringLiteral("This Mac was not enrolled");
        message = DisplayText::paragraph(failed->message);
    }
}

} // namespace velto
