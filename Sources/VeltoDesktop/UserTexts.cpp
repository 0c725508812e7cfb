#include "VeltoDesktop/UserTexts.hpp"

namespace velto {

namespace {

const QChar ellipsis(0x2026);

/// The server's label as a text names it: in typographic quotes.
QString quoted(const QString& label) {
    return QChar(0x201C) + label + QChar(0x201D);
}

} // namespace

QString UserTexts::serverAddDeviceLabel() {
    return QStringLiteral("Add this Mac");
}

QString UserTexts::machineNameFallback() {
    return QStringLiteral("Linux computer");
}

// The enrollment prompt.

QString UserTexts::promptWindowTitle() {
    return QStringLiteral("Enroll this computer");
}

QString UserTexts::promptHeadline(int organizationCount) {
    if (organizationCount == 1)
        return QStringLiteral("Enroll this computer?");
    return "Enroll this computer in " + QString::number(organizationCount) + " organizations?";
}

QString UserTexts::promptWarning() {
    return "Continue only if you just chose " + quoted(serverAddDeviceLabel()) +
           " in Velto. Any website can open a Velto link.";
}

QString UserTexts::promptCodesLabel(int organizationCount) {
    return organizationCount == 1 ? QStringLiteral("Code") : QStringLiteral("Codes");
}

QString UserTexts::promptNamingNote() {
    return QStringLiteral("Velto names each organization once it accepts its code. Organizations this "
                          "computer is already in stay.");
}

QString UserTexts::promptProgressTitle(int organizationCount, const QString& authority) {
    if (organizationCount == 1)
        return "Enrolling on " + authority + ellipsis;
    return "Enrolling in " + QString::number(organizationCount) + " organizations on " + authority + ellipsis;
}

QString UserTexts::promptJoinedHeadline(const QString& names) {
    return "This computer joined " + names;
}

QString UserTexts::promptJoinedAs(const QString& login, const QString& authority) {
    return "As " + login + " in " + authority + ".";
}

QString UserTexts::promptReplaced(const QString& names) {
    return "Its earlier pairing in " + names + " is replaced.";
}

QString UserTexts::promptExpectation(const QString& namesOrNothing) {
    const auto expected = namesOrNothing.isEmpty() ? QStringLiteral("one of these") : namesOrNothing;
    return "If you did not expect " + expected + ", remove it in Velto's menu.";
}

QString UserTexts::promptFailedHeadline() {
    return QStringLiteral("This computer was not enrolled");
}

QString UserTexts::cleartextNote() {
    return QStringLiteral("Plain http: allowed only for a server on this computer.");
}

// The status menu.

QString UserTexts::panelWindowTitle() {
    return QStringLiteral("Velto");
}

QString UserTexts::pendingUpdate(const QString& version) {
    return "Update to " + version + " after this review";
}

QString UserTexts::addOrganizations() {
    return "Add Organizations" + QString(ellipsis);
}

QString UserTexts::pauseReviews(bool isPaused) {
    return isPaused ? QStringLiteral("Resume Reviews") : QStringLiteral("Pause Reviews");
}

QString UserTexts::openAtLogin(bool needsApproval) {
    return needsApproval ? "Allow Open at Login" + QString(ellipsis) : QStringLiteral("Open at Login");
}

QString UserTexts::installCommandLineTool() {
    return "Install Command Line Tool" + QString(ellipsis);
}

QString UserTexts::quit() {
    return QStringLiteral("Quit Velto");
}

QString UserTexts::setupCardTitle(bool isPaired) {
    return isPaired ? QStringLiteral("Finish setting up this computer")
                    : QStringLiteral("Set up this computer");
}

QString UserTexts::setupCardExplanation(bool isPaired) {
    return isPaired ? QStringLiteral("It's paired. Choose what it does for your organization.")
                    : QStringLiteral("Pair it with your organization's Velto, then choose what it does.");
}

QString UserTexts::dashboardTooltip() {
    return QStringLiteral("Open Velto's dashboard");
}

QString UserTexts::harnessAddFailed(const QString& harness) {
    return "Velto could not be added to " + harness + ". ";
}

QString UserTexts::harnessSwitchTitle(const QString& harness, bool isMonitored) {
    return (isMonitored ? "Remove Velto from " : "Add Velto to ") + harness;
}

QString UserTexts::harnessesPlaceholder(bool isDetecting) {
    return isDetecting ? "Looking for harnesses" + QString(ellipsis)
                       : QStringLiteral("Harnesses not checked yet");
}

QString UserTexts::statusIconLabel(StatusIcon icon) {
    switch (icon) {
    case StatusIcon::connected:
        return QStringLiteral("Velto, connected");
    case StatusIcon::needsAttention:
        return QStringLiteral("Velto, needs attention");
    case StatusIcon::offline:
        break;
    }
    return QStringLiteral("Velto, offline");
}

// Connections, harnesses and organizations in the menu.

QString UserTexts::connectionTitle(Connection connection, bool isPaused) {
    switch (connection) {
    case Connection::connected:
        return QStringLiteral("Connected");
    case Connection::retrying:
        return QStringLiteral("Retrying");
    case Connection::stopped:
        return QStringLiteral("Stopped");
    case Connection::connecting:
        return "Connecting" + QString(ellipsis);
    case Connection::offline:
        break;
    }
    return isPaused ? QStringLiteral("Paused") : QStringLiteral("Offline");
}

QString UserTexts::retryDetail(const QString& reason, long long seconds) {
    return reason + ", trying again in " + QString::number(seconds) + "s.";
}

QString UserTexts::notEnrolled() {
    return QStringLiteral("Not enrolled");
}

QString UserTexts::harnessValue(Harness harness) {
    switch (harness) {
    case Harness::notInstalled:
        return QStringLiteral("Not installed");
    case Harness::signedOut:
        return QStringLiteral("Signed out");
    case Harness::signInUnknown:
        return QStringLiteral("Sign-in unknown");
    case Harness::signedIn:
        break;
    }
    return QStringLiteral("Unknown");
}

QString UserTexts::harnessCopyText(const QString& name, const QString& version, Harness harness) {
    switch (harness) {
    case Harness::notInstalled:
        return name + " not installed";
    case Harness::signedOut:
        return name + " " + version + ", signed out";
    case Harness::signInUnknown:
        return name + " " + version + ", sign-in could not be checked";
    case Harness::signedIn:
        break;
    }
    return name + " " + version;
}

QString UserTexts::unknownVersion() {
    return QStringLiteral("unknown version");
}

QString UserTexts::organizationTooltip(const QString& name, const QString& authority) {
    return name + " on " + authority;
}

QString UserTexts::organizationActions(const QString& name) {
    return "Actions for " + name;
}

QString UserTexts::scopeTakenAway(const QString& scope) {
    return "An admin turned off " + scope + " on this computer.";
}

QString UserTexts::scopeAnswerFailed() {
    return QStringLiteral("Velto did not get your answer: ");
}

QString UserTexts::consentHeadline(const QString& scope, const QString& organization) {
    return "Allow " + scope + " for " + organization + "?";
}

QString UserTexts::consentNote() {
    return QStringLiteral("Turn it off here at any time; a run already under way finishes.");
}

QString UserTexts::allow() {
    return QStringLiteral("Allow");
}

QString UserTexts::removalHeadline(const QString& organization) {
    return "Remove " + organization + " from this computer?";
}

QString UserTexts::removalCaption(const QString& organization) {
    return organization + " lists this computer until someone revokes it in Devices.";
}

QString UserTexts::removalConfirm(const QString& organization) {
    return "Remove " + organization;
}

// The setup window.

QString UserTexts::setupWindowTitle() {
    return QStringLiteral("Set Up Velto");
}

QString UserTexts::pairTitle(PairStage stage) {
    switch (stage) {
    case PairStage::address:
        return QStringLiteral("Connect to Velto");
    case PairStage::waitingForBrowser:
        return QStringLiteral("Finish in your browser");
    case PairStage::pairing:
        return "Pairing" + QString(ellipsis);
    case PairStage::confirming:
        return QStringLiteral("Pair this computer?");
    case PairStage::paired:
        break;
    case PairStage::failed:
        return QStringLiteral("That didn't work");
    }
    return {};
}

QString UserTexts::pairMessage(PairStage stage) {
    switch (stage) {
    case PairStage::address:
        return QStringLiteral(
            "Sign in to your organization's Velto and pair this computer. Its key is made here and "
            "kept in your login keyring, which unlocks when you log in.");
    case PairStage::waitingForBrowser:
        return "On the Devices page, choose " + quoted(serverAddDeviceLabel()) +
               ". Velto comes back here when you do.";
    case PairStage::pairing:
        return QStringLiteral("Creating this computer's key and proving it to Velto.");
    case PairStage::confirming:
        return "Continue only if you just chose " + quoted(serverAddDeviceLabel()) +
               ". Any website can open a Velto link.";
    case PairStage::paired:
    case PairStage::failed:
        break;
    }
    return {};
}

QString UserTexts::pairedTitle(const QString& firstName, const QString& organizations) {
    return firstName + ", you're in " + organizations + ".";
}

QString UserTexts::pairedMessage(const QString& organizationsOrYours) {
    return "This computer is paired. Next, choose what it does for " + organizationsOrYours + ".";
}

QString UserTexts::yourOrganization() {
    return QStringLiteral("your organization");
}

QString UserTexts::yourOrganizationTitle() {
    return QStringLiteral("Your organization");
}

QString UserTexts::welcome() {
    return QStringLiteral("Welcome");
}

QString UserTexts::you() {
    return QStringLiteral("You");
}

QString UserTexts::awaitingLoginApproval() {
    return QStringLiteral(
        "Allow Velto in your desktop's startup applications, then choose Open at Login again.");
}

QString UserTexts::federationMessage(const QString& organizationsOrYours) {
    return "While this computer is awake, " + organizationsOrYours +
           " can run Velto reviews on the harnesses you're signed into, on your plan instead of API keys.";
}

QString UserTexts::joinsOrganizations(int count) {
    return QStringLiteral("Joins %1 organizations").arg(count);
}

QString UserTexts::footerButton(FooterButton button) {
    switch (button) {
    case FooterButton::continueOn:
        return QStringLiteral("Continue");
    case FooterButton::notNow:
        return QStringLiteral("Not Now");
    case FooterButton::lend:
        return QStringLiteral("Lend My Subscriptions");
    case FooterButton::skip:
        return QStringLiteral("Skip");
    case FooterButton::finishSetup:
        return QStringLiteral("Finish Setup");
    case FooterButton::install:
        return QStringLiteral("Install");
    case FooterButton::openAtLogin:
        break;
    }
    return QStringLiteral("Open at Login");
}

QString UserTexts::codeEntryToggle(bool showsCodeEntry) {
    return showsCodeEntry ? QStringLiteral("Hide code entry") : QStringLiteral("Have a pairing code?");
}

QString UserTexts::stepOf(long long position, long long count) {
    return QStringLiteral("Step %1 of %2").arg(position).arg(count);
}

QString UserTexts::agentCaption(bool isInstalled, bool hasHook) {
    if (!isInstalled)
        return QStringLiteral("Not installed");
    return hasHook ? QStringLiteral("Velto's skills and a pull request hook")
                   : QStringLiteral("Velto's skills");
}

QVariantMap UserTexts::labels() {
    return {
        // The enrollment prompt.
        {QStringLiteral("server"), QStringLiteral("Server")},
        {QStringLiteral("cancel"), QStringLiteral("Cancel")},
        {QStringLiteral("enroll"), QStringLiteral("Enroll")},
        {QStringLiteral("done"), QStringLiteral("Done")},
        {QStringLiteral("close"), QStringLiteral("Close")},
        // The menu panel.
        {QStringLiteral("velto"), QStringLiteral("Velto")},
        {QStringLiteral("notEnrolled"), notEnrolled()},
        {QStringLiteral("copyVersion"), QStringLiteral("Copy Version")},
        {QStringLiteral("getStarted"), "Get Started" + QString(ellipsis)},
        {QStringLiteral("openInVelto"), QStringLiteral("Open in Velto")},
        {QStringLiteral("removeFromThisComputer"), "Remove from This Computer" + QString(ellipsis)},
        // The setup window's steps.
        {QStringLiteral("back"), QStringLiteral("Back")},
        {QStringLiteral("minimize"), QStringLiteral("Minimize")},
        {QStringLiteral("serverPlaceholder"), QStringLiteral("velto.example.com")},
        {QStringLiteral("signInAndPair"), QStringLiteral("Sign In and Pair")},
        {QStringLiteral("noBrowser"),
         QStringLiteral("No browser opened the pairing page. Open this address in yours:")},
        {QStringLiteral("waitingForVelto"), "Waiting for Velto" + QString(ellipsis)},
        {QStringLiteral("openAgain"), QStringLiteral("Open Again")},
        {QStringLiteral("changeAddress"), QStringLiteral("Change Address")},
        {QStringLiteral("codePlaceholder"), QStringLiteral("7KQ2-MX9D")},
        {QStringLiteral("code"), QStringLiteral("Code")},
        {QStringLiteral("pair"), QStringLiteral("Pair")},
        {QStringLiteral("pairThisComputer"), QStringLiteral("Pair This Computer")},
        {QStringLiteral("tryAgain"), QStringLiteral("Try Again")},
        {QStringLiteral("thisComputer"), QStringLiteral("This Computer")},
        {QStringLiteral("federationTitle"), QStringLiteral("Lend your subscriptions")},
        {QStringLiteral("federationCheckout"),
         QStringLiteral("A review reads a fresh checkout, or the repository in Velto's cloud.")},
        {QStringLiteral("federationPause"), QStringLiteral("Pause any time from Velto's menu.")},
        {QStringLiteral("federationSleep"), QStringLiteral("Nothing runs while this computer sleeps.")},
        {QStringLiteral("signedOutLend"), QStringLiteral("Signed out: sign in to lend it")},
        {QStringLiteral("monitoringTitle"), QStringLiteral("Watch pull requests live")},
        {QStringLiteral("monitoringMessage"),
         QStringLiteral(
             "Choose the agents Velto works with. Each learns to have a change reviewed before a pull "
             "request, and to take a pull request to a clean review. Velto keeps both skills up to date. "
             "Once live monitoring is on for your organization, it also streams each review, check and "
             "comment straight to them.")},
        {QStringLiteral("watchingPullRequest"), QStringLiteral("Watching #482 for you")},
        {QStringLiteral("commandLineToolTitle"), QStringLiteral("Install the velto command")},
        {QStringLiteral("commandLineToolMessage"),
         QStringLiteral(
             "Have Velto review your changes before you push, and read its findings, from a terminal or "
             "your coding agent.")},
        {QStringLiteral("commandLineToolReview"),
         QStringLiteral("velto review reviews your changes before you push. Nothing is posted.")},
        {QStringLiteral("commandLineToolPassword"),
         QStringLiteral("It goes in /usr/local/bin, so pkexec may ask for an administrator's password.")},
        {QStringLiteral("openAtLoginTitle"), QStringLiteral("Open Velto at login")},
        {QStringLiteral("openAtLoginMessage"),
         QStringLiteral(
             "Velto works only while it's running. Have your desktop start it when you log in, and it's "
             "in the tray before you need it.")},
        {QStringLiteral("openAtLoginTray"),
         QStringLiteral("It stays in the tray, or in a window where there's no tray.")},
        {QStringLiteral("openAtLoginTurnOff"), QStringLiteral("Turn it off any time from Velto's menu.")},
        // The login item picture's menu.
        {QStringLiteral("yourOrganization"), yourOrganizationTitle()},
        {QStringLiteral("connected"), connectionTitle(Connection::connected, false)},
        {QStringLiteral("pauseReviews"), pauseReviews(false)},
        {QStringLiteral("openAtLogin"), openAtLogin(false)},
        {QStringLiteral("quit"), quit()},
        {QStringLiteral("you"), you()},
    };
}

QStringList UserTexts::all() {
    const QString name = QStringLiteral("Acme");
    const QString other = QStringLiteral("velto.example.com");
    QStringList texts{
        machineNameFallback(),
        promptWindowTitle(),
        promptHeadline(1),
        promptHeadline(3),
        promptWarning(),
        promptCodesLabel(1),
        promptCodesLabel(3),
        promptNamingNote(),
        promptProgressTitle(1, other),
        promptProgressTitle(3, other),
        promptJoinedHeadline(name),
        promptJoinedAs(name, other),
        promptReplaced(name),
        promptExpectation(name),
        promptExpectation(QString()),
        promptFailedHeadline(),
        cleartextNote(),
        panelWindowTitle(),
        pendingUpdate(QStringLiteral("2.0")),
        addOrganizations(),
        pauseReviews(false),
        pauseReviews(true),
        openAtLogin(false),
        openAtLogin(true),
        installCommandLineTool(),
        quit(),
        setupCardTitle(false),
        setupCardTitle(true),
        setupCardExplanation(false),
        setupCardExplanation(true),
        dashboardTooltip(),
        harnessAddFailed(name),
        harnessSwitchTitle(name, false),
        harnessSwitchTitle(name, true),
        harnessesPlaceholder(false),
        harnessesPlaceholder(true),
        retryDetail(name, 3),
        notEnrolled(),
        unknownVersion(),
        organizationTooltip(name, other),
        organizationActions(name),
        scopeTakenAway(name),
        scopeAnswerFailed(),
        consentHeadline(name, other),
        consentNote(),
        allow(),
        removalHeadline(name),
        removalCaption(name),
        removalConfirm(name),
        setupWindowTitle(),
        pairedTitle(name, other),
        pairedMessage(name),
        yourOrganization(),
        yourOrganizationTitle(),
        welcome(),
        you(),
        awaitingLoginApproval(),
        federationMessage(name),
        joinsOrganizations(3),
        stepOf(1, 5),
        codeEntryToggle(false),
        codeEntryToggle(true),
        agentCaption(false, false),
        agentCaption(true, false),
        agentCaption(true, true),
    };
    for (auto icon : {StatusIcon::connected, StatusIcon::needsAttention, StatusIcon::offline})
        texts << statusIconLabel(icon);
    for (auto connection : {Connection::connected, Connection::retrying, Connection::stopped,
                            Connection::connecting, Connection::offline})
        texts << connectionTitle(connection, false) << connectionTitle(connection, true);
    for (auto harness :
         {Harness::notInstalled, Harness::signedOut, Harness::signInUnknown, Harness::signedIn})
        texts << harnessValue(harness) << harnessCopyText(name, other, harness);
    for (auto stage : {PairStage::address, PairStage::waitingForBrowser, PairStage::pairing,
                       PairStage::confirming, PairStage::paired, PairStage::failed})
        texts << pairTitle(stage) << pairMessage(stage);
    for (auto button :
         {FooterButton::continueOn, FooterButton::notNow, FooterButton::lend, FooterButton::skip,
          FooterButton::finishSetup, FooterButton::install, FooterButton::openAtLogin})
        texts << footerButton(button);
    const auto fixed = labels();
    for (auto label = fixed.cbegin(); label != fixed.cend(); ++label)
        texts << label.value().toString();
    texts.removeAll(QString());
    return texts;
}

} // namespace velto
