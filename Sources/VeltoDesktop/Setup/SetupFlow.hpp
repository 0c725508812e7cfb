#pragma once

#include "VeltoDesktop/Setup/PairStage.hpp"
#include "VeltoDesktop/Setup/SetupModel.hpp"
#include "VeltoDesktop/Setup/SetupStep.hpp"
#include "VeltoDevice/LoginItem/LoginItemAnswer.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/url/url.hpp>

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

class UrlOpening;

/// The model of one setup window: which steps it walks, where it is and which way it last moved,
/// the pair step's address and browser state, the choices of the later steps and the open-at-login
/// answer. Each user choice is one operation that calls the model in a fixed order and then moves
/// on. Each property notifies only when its value changed. Main thread only; one flow per window.
class SetupFlow final : public QObject {
    Q_OBJECT
    Q_PROPERTY(int step READ stepValue NOTIFY stepChanged)
    Q_PROPERTY(QVariantList steps READ stepValues CONSTANT)
    Q_PROPERTY(bool isMovingForward READ isMovingForward NOTIFY isMovingForwardChanged)
    Q_PROPERTY(bool isOnLastStep READ isOnLastStep NOTIFY stepChanged)
    Q_PROPERTY(bool isBusy READ isBusy NOTIFY isBusyChanged)
    Q_PROPERTY(QString address READ addressText WRITE setAddressText NOTIFY addressChanged)
    Q_PROPERTY(QString addressError READ addressErrorText NOTIFY addressErrorChanged)
    Q_PROPERTY(bool isWaitingForBrowser READ isWaitingForBrowser NOTIFY isWaitingForBrowserChanged)
    Q_PROPERTY(QString unopenedPage READ unopenedPageText NOTIFY unopenedPageChanged)
    Q_PROPERTY(bool showsCodeEntry READ showsCodeEntry WRITE setShowsCodeEntry NOTIFY showsCodeEntryChanged)
    Q_PROPERTY(QString codeEntryToggle READ codeEntryToggle NOTIFY showsCodeEntryChanged)
    Q_PROPERTY(QString code READ codeText WRITE setCodeText NOTIFY codeChanged)
    Q_PROPERTY(QString codeError READ codeErrorText NOTIFY codeErrorChanged)
    Q_PROPERTY(QString pairStage READ pairStageName NOTIFY pairStageChanged)
    Q_PROPERTY(QString pairTitle READ pairTitle NOTIFY pairStageChanged)
    Q_PROPERTY(QString pairMessage READ pairMessage NOTIFY pairStageChanged)
    Q_PROPERTY(QVariantMap pairAvatar READ pairAvatar NOTIFY pairStageChanged)
    Q_PROPERTY(QVariantMap confirmation READ confirmation NOTIFY pairStageChanged)
    Q_PROPERTY(QVariantMap firstEnrollment READ firstEnrollment NOTIFY enrollmentsChanged)
    Q_PROPERTY(QString federationMessage READ federationMessage NOTIFY enrollmentsChanged)
    Q_PROPERTY(QVariantList scopeRows READ scopeRows NOTIFY agreedScopesChanged)
    Q_PROPERTY(QVariantList harnessChips READ harnessChips NOTIFY harnessesChanged)
    Q_PROPERTY(QVariantList agentRows READ agentRows NOTIFY agentRowsChanged)
    Q_PROPERTY(QVariantMap commandLineNotice READ commandLineNotice NOTIFY commandLineNoticeChanged)
    Q_PROPERTY(QVariantMap loginNotice READ loginNotice NOTIFY loginItemAnswerChanged)
    Q_PROPERTY(QVariantMap footer READ footer NOTIFY footerChanged)
    Q_PROPERTY(QVariantList dots READ dots NOTIFY stepChanged)
    Q_PROPERTY(QString stepLabel READ stepLabel NOTIFY stepChanged)

public:
    using Hook = std::function<void()>;

    /// The longest address or code the fields keep.
    static constexpr qsizetype maximumFieldLength = 2048;

    /// Reads the login item and the command's link first, then picks the steps: the command-line step
    /// only for a link that is not installed or taken, the open-at-login step unless this copy cannot
    /// open at login. `main` runs the flow's tasks; `opener` hands pages to the browser.
    SetupFlow(SetupModel& model, boost::asio::any_io_executor main, UrlOpening& opener,
              QObject* parent = nullptr);
    ~SetupFlow() override;

    /// The text with white space trimmed, behind "https://" unless it starts with a scheme and "://".
    static std::string withScheme(std::string_view text);

    // What the flow holds.
    SetupModel& model() const { return model_; }
    const std::vector<SetupStep>& steps() const { return steps_; }
    SetupStep step() const { return step_; }
    bool isMovingForward() const { return isMovingForward_; }
    const std::string& address() const { return address_; }
    void setAddress(std::string address);
    const std::optional<std::string>& addressError() const { return addressError_; }
    bool isWaitingForBrowser() const { return isWaitingForBrowser_; }
    /// The pairing page that the browser did not take, shown for the user to open by hand.
    const std::optional<std::string>& unopenedPage() const { return unopenedPage_; }
    bool showsCodeEntry() const { return showsCodeEntry_; }
    /// The link that shows or hides the code field: "Have a pairing code?" or "Hide code entry".
    QString codeEntryToggle() const;
    void setShowsCodeEntry(bool shows);
    const std::set<HarnessKind>& monitoredAgents() const { return monitoredAgents_; }
    /// The user's switch of one agent on the monitoring step.
    void setMonitors(HarnessKind kind, bool isOn);
    /// The user's switch of one kind of work on the federation step, with the widening rule.
    void setAgreement(DeviceScope scope, bool isOn);
    const std::optional<LoginItemAnswer>& loginItemAnswer() const { return loginItemAnswer_; }
    /// A footer action awaits the model: every other footer action is refused meanwhile.
    bool isBusy() const { return isBusy_; }

    void setFinish(Hook hook) { finish_ = std::move(hook); }
    void setCloseWindow(Hook hook) { closeWindow_ = std::move(hook); }
    void setMinimizeWindow(Hook hook) { minimizeWindow_ = std::move(hook); }

    // Derived.
    PairStage pairStage() const;
    bool isOnLastStep() const { return !steps_.empty() && step_ == steps_.back(); }

    // The pair step.
    /// The server's pairing page for the typed address, which the form then remembers; nothing, with
    /// the address's error shown, when it is not a server address.
    std::optional<boost::urls::url> pairingPage();
    /// The pairing page handed to the browser: once the opener answers, the flow waits for the browser
    /// when it took the page, else shows the page's address.
    Q_INVOKABLE void openPairingPage();
    /// The typed or pasted code proposed to the model; the form shows why when it does not read.
    Q_INVOKABLE void submitCode();
    /// Back to the idle stage (unless codes are being spent) and no longer waiting for the browser.
    Q_INVOKABLE void cancelPairing();
    /// "Pair This Computer": the model spends the confirmed codes.
    Q_INVOKABLE void confirmPairing();

    // The steps' choices.
    boost::asio::awaitable<void> chooseFederation(bool lends);
    void chooseMonitoring(bool on);
    boost::asio::awaitable<void> chooseCommandLineTool(bool install);
    void chooseOpenAtLogin(bool on);
    void finishStep();

    // Moving.
    std::optional<SetupStep> neighbour(SetupStep of, int offset) const;
    void move(SetupStep target, bool isForward);
    void offerInstalledAgents();
    /// The step after this one (offering the installed agents before monitoring); nothing on the last.
    void advance();
    /// The step before this one; never undoes a choice.
    void goBack();

    // The footer and the window controls, as the views press them.
    Q_INVOKABLE void pressPrimary();
    Q_INVOKABLE void pressSecondary();
    Q_INVOKABLE void pressBack();
    Q_INVOKABLE void closeWindow() const { closeWindow_(); }
    Q_INVOKABLE void minimizeWindow() const { minimizeWindow_(); }
    Q_INVOKABLE void setScope(const QString& scope, bool isOn);
    Q_INVOKABLE void setAgent(const QString& kind, bool isOn);

    // What the views show.
    int stepValue() const { return rawValue(step_); }
    QVariantList stepValues() const;
    QString addressText() const { return QString::fromStdString(address_); }
    void setAddressText(const QString& text) { setAddress(text.toStdString()); }
    QString addressErrorText() const;
    QString unopenedPageText() const;
    QString codeText() const;
    void setCodeText(const QString& text);
    QString codeErrorText() const;
    QString pairStageName() const;
    QString pairTitle() const;
    QString pairMessage() const;
    QVariantMap pairAvatar() const;
    QVariantMap confirmation() const;
    QVariantMap firstEnrollment() const;
    QString federationMessage() const;
    QVariantList scopeRows() const;
    QVariantList harnessChips() const;
    QVariantList agentRows() const;
    QVariantMap commandLineNotice() const;
    QVariantMap loginNotice() const;
    QVariantMap footer() const;
    QVariantList dots() const;
    QString stepLabel() const;

Q_SIGNALS:
    void stepChanged();
    void isMovingForwardChanged();
    void isBusyChanged();
    void addressChanged();
    void addressErrorChanged();
    void isWaitingForBrowserChanged();
    void unopenedPageChanged();
    void showsCodeEntryChanged();
    void codeChanged();
    void codeErrorChanged();
    void pairStageChanged();
    void enrollmentsChanged();
    void agreedScopesChanged();
    void harnessesChanged();
    void agentRowsChanged();
    void commandLineNoticeChanged();
    void loginItemAnswerChanged();
    void footerChanged();
    /// A scope just turned on, first in agreed order: its consent should come into view.
    void scopeAgreed(const QString& scope);

private:
    template <typename T> void assign(T& field, T value, void (SetupFlow::*changed)()) {
        if (field == value)
            return;
        field = std::move(value);
        Q_EMIT(this->*changed)();
    }
    void setStep(SetupStep step);
    void setBusy(bool busy);
    void setMonitoredAgents(std::set<HarnessKind> agents);
    void setLoginItemAnswer(std::optional<LoginItemAnswer> answer);
    /// Recomputes the pair stage and the footer, notifying when either changed.
    void refreshStage();
    void refreshFooter();
    void harnessesDetected();
    /// The opener's answer for the latest pairing page.
    void pageOpened(std::string page, bool opened);
    /// The footer's primary (the step's yes) or secondary (its no) button.
    void press(bool isPrimary);
    /// Starts a main-thread task for a footer action; what escapes it is dropped.
    void spawn(boost::asio::awaitable<void> task);

    SetupModel& model_;
    boost::asio::any_io_executor main_;
    UrlOpening& opener_;
    std::vector<SetupStep> steps_;
    SetupStep step_ = SetupStep::pair;
    bool isMovingForward_ = true;
    std::string address_;
    std::optional<std::string> addressError_;
    bool isWaitingForBrowser_ = false;
    std::optional<std::string> unopenedPage_;
    std::uint64_t pageRequests_ = 0;
    bool showsCodeEntry_ = false;
    std::set<HarnessKind> monitoredAgents_;
    std::set<DeviceScope> agreedScopes_;
    std::optional<LoginItemAnswer> loginItemAnswer_;
    Hook finish_ = [] {};
    Hook closeWindow_ = [] {};
    Hook minimizeWindow_ = [] {};
    bool hasOfferedAgents_ = false;
    /// Offered before any harness was known: the detection's result fills the set, unless the user
    /// switched an agent first.
    bool awaitsDetectedAgents_ = false;
    bool hasTouchedAgents_ = false;
    bool isBusy_ = false;
    /// Counts moves, so that a step queued behind a direction change is dropped when another move came.
    std::uint64_t moves_ = 0;
    PairStage stage_;
    QVariantMap footer_;
};

} // namespace velto
