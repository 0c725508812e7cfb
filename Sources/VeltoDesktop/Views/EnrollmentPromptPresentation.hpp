#pragma once

#include "VeltoDesktop/Model/EnrollmentPrompt.hpp"
#include "VeltoDesktop/Views/ServerAuthority.hpp"

#include <QString>
#include <QStringList>
#include <optional>

namespace velto {

/// What the enrollment prompt shows for the model's prompt, and which keys act in each stage.
struct EnrollmentPromptPresentation {
    enum class Stage { none, confirming, enrolling, joined, failed };

    Stage stage = Stage::none;

    // Confirming.
    QString headline;
    QString warning;
    QString codesLabel;
    QStringList codes;
    std::optional<ServerAuthority> server;
    QString namingNote;

    // Enrolling.
    QString progressTitle;

    // Joined: the headline above, then these.
    std::optional<QString> joinedAs;
    std::optional<QString> replaced;
    std::optional<QString> refusalSummary;
    QString expectation;

    // Failed: the headline above, then the message.
    QString message;

    /// Escape closes the window (confirming, failed); Return presses "Done" (joined).
    bool escapeCloses() const { return stage == Stage::confirming || stage == Stage::failed; }
    bool returnIsDone() const { return stage == Stage::joined; }

    explicit EnrollmentPromptPresentation(const std::optional<EnrollmentPrompt>& prompt);

    /// "Enrolling on <authority>…" or "Enrolling in N organizations on <authority>…".
    static QString progressTitleOf(const EnrollmentProposal& proposal);
};

} // namespace velto
