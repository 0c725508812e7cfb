#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace velto {

/// Every text the application's own windows, tray and prompts show, in one place, so a change of
/// wording is made once. Presenters compose from these; QML reads the fixed labels through
/// `labels()` (the views' `userTexts`) and everything else from its presenter. The device library's
/// error sentences stay with their errors; the views show them as they come.
///
/// The texts say what is true on a Linux desktop: "this computer", the login keyring, the tray and
/// the desktop's startup applications. The one exception is the server's own button label
/// (`serverAddDeviceLabel()`), quoted as its web page names it.
class UserTexts {
public:
    /// Which case a text of several takes.
    enum class PairStage { address, waitingForBrowser, pairing, confirming, paired, failed };
    enum class Connection { connected, retrying, stopped, connecting, offline };
    enum class Harness { notInstalled, signedOut, signInUnknown, signedIn };
    enum class StatusIcon { connected, needsAttention, offline };
    enum class FooterButton { continueOn, notNow, lend, skip, finishSetup, install, openAtLogin };

    // The server's pages, named as the server labels them.
    static QString serverAddDeviceLabel();

    // The machine.
    static QString machineNameFallback();

    // The enrollment prompt.
    static QString promptWindowTitle();
    static QString promptHeadline(int organizationCount);
    static QString promptWarning();
    static QString promptCodesLabel(int organizationCount);
    static QString promptNamingNote();
    static QString promptProgressTitle(int organizationCount, const QString& authority);
    static QString promptJoinedHeadline(const QString& names);
    static QString promptJoinedAs(const QString& login, const QString& authority);
    static QString promptReplaced(const QString& names);
    static QString promptExpectation(const QString& namesOrNothing);
    static QString promptFailedHeadline();
    static QString cleartextNote();

    // The status menu.
    static QString panelWindowTitle();
    static QString pendingUpdate(const QString& version);
    static QString addOrganizations();
    static QString pauseReviews(bool isPaused);
    static QString openAtLogin(bool needsApproval);
    static QString installCommandLineTool();
    static QString quit();
    static QString setupCardTitle(bool isPaired);
    static QString setupCardExplanation(bool isPaired);
    static QString dashboardTooltip();
    /// The failure's sentence follows.
    static QString harnessAddFailed(const QString& harness);
    static QString harnessSwitchTitle(const QString& harness, bool isMonitored);
    static QString harnessesPlaceholder(bool isDetecting);
    static QString statusIconLabel(StatusIcon icon);

    // Connections, harnesses and organizations in the menu.
    static QString connectionTitle(Connection connection, bool isPaused);
    static QString retryDetail(const QString& reason, long long seconds);
    static QString notEnrolled();
    static QString harnessValue(Harness harness);
    static QString harnessCopyText(const QString& name, const QString& version, Harness harness);
    static QString unknownVersion();
    static QString organizationTooltip(const QString& name, const QString& authority);
    static QString organizationActions(const QString& name);
    static QString scopeTakenAway(const QString& scope);
    /// The failure's sentence follows.
    static QString scopeAnswerFailed();
    static QString consentHeadline(const QString& scope, const QString& organization);
    static QString consentNote();
    static QString allow();
    static QString removalHeadline(const QString& organization);
    static QString removalCaption(const QString& organization);
    static QString removalConfirm(const QString& organization);

    // The setup window.
    static QString setupWindowTitle();
    static QString pairTitle(PairStage stage);
    static QString pairMessage(PairStage stage);
    static QString pairedTitle(const QString& firstName, const QString& organizations);
    static QString pairedMessage(const QString& organizationsOrYours);
    static QString yourOrganization();
    static QString yourOrganizationTitle();
    static QString welcome();
    static QString you();
    static QString awaitingLoginApproval();
    static QString federationMessage(const QString& organizationsOrYours);
    static QString joinsOrganizations(int count);
    static QString footerButton(FooterButton button);
    static QString codeEntryToggle(bool showsCodeEntry);
    static QString stepOf(long long position, long long count);
    static QString agentCaption(bool isInstalled, bool hasHook);

    /// The fixed labels QML shows, by name (`userTexts.cancel`).
    static QVariantMap labels();

    /// Every text above, the composed ones with sample values in their blanks: what a test of the
    /// wording reads.
    static QStringList all();
};

} // namespace velto
