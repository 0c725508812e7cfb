#pragma once

#include "VeltoDesktop/Setup/PairStage.hpp"
#include "VeltoDesktop/Setup/SetupTaskStart.hpp"

#include <boost/url/url.hpp>

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

class PairStepModel;
class UrlOpening;

/// The pair step: the address typed, the pairing page handed to the browser (or shown when none took
/// it), the code entry, and the stage derived from the model's enrollment prompt with its texts. Each
/// property notifies only when its value changed. Main thread only.
class PairPresenter final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString address READ addressText WRITE setAddressText NOTIFY addressChanged)
    Q_PROPERTY(QString addressError READ addressErrorText NOTIFY addressErrorChanged)
    Q_PROPERTY(QString unopenedPage READ unopenedPageText NOTIFY unopenedPageChanged)
    Q_PROPERTY(bool showsCodeEntry READ showsCodeEntry WRITE setShowsCodeEntry NOTIFY showsCodeEntryChanged)
    Q_PROPERTY(QString codeEntryToggle READ codeEntryToggle NOTIFY showsCodeEntryChanged)
    Q_PROPERTY(QString code READ codeText WRITE setCodeText NOTIFY codeChanged)
    Q_PROPERTY(QString codeError READ codeErrorText NOTIFY codeErrorChanged)
    Q_PROPERTY(QString stage READ stageName NOTIFY stageChanged)
    Q_PROPERTY(QString title READ title NOTIFY stageChanged)
    Q_PROPERTY(QString message READ message NOTIFY stageChanged)
    Q_PROPERTY(QVariantMap avatar READ avatar NOTIFY stageChanged)
    Q_PROPERTY(QVariantMap confirmation READ confirmation NOTIFY stageChanged)

public:
    /// The longest address or code the fields keep.
    static constexpr qsizetype maximumFieldLength = 2048;

    /// The address starts as the form's saved one without a leading "https://". `start` runs the
    /// confirmation; `opener` hands pages to the browser.
    PairPresenter(PairStepModel& model, UrlOpening& opener, SetupTaskStart start, QObject* parent = nullptr);

    /// The text with white space trimmed, behind "https://" unless it starts with a scheme and "://".
    static std::string withScheme(std::string_view text);

    const std::string& address() const { return address_; }
    void setAddress(std::string address);
    const std::optional<std::string>& addressError() const { return addressError_; }
    bool isWaitingForBrowser() const { return isWaitingForBrowser_; }
    /// The pairing page that the browser did not take, shown for the user to open by hand.
    const std::optional<std::string>& unopenedPage() const { return unopenedPage_; }
    bool showsCodeEntry() const { return showsCodeEntry_; }
    void setShowsCodeEntry(bool shows);
    const PairStage& stage() const { return stage_; }

    /// The server's pairing page for the typed address, which the form then remembers; nothing, with
    /// the address's error shown, when it is not a server address.
    std::optional<boost::urls::url> pairingPage();
    /// The pairing page handed to the browser: once the opener answers, the step waits for the browser
    /// when it took the page, else shows the page's address.
    Q_INVOKABLE void openPairingPage();
    /// The typed or pasted code proposed to the model; the form shows why when it does not read.
    Q_INVOKABLE void submitCode();
    /// Back to the idle stage (unless codes are being spent) and no longer waiting for the browser.
    Q_INVOKABLE void cancelPairing();
    /// "Pair This Computer": the model spends the confirmed codes.
    Q_INVOKABLE void confirmPairing();

    // What the views show.
    QString addressText() const { return QString::fromStdString(address_); }
    void setAddressText(const QString& text) { setAddress(text.toStdString()); }
    QString addressErrorText() const;
    QString unopenedPageText() const;
    /// "Have a pairing code?" or "Hide code entry".
    QString codeEntryToggle() const;
    QString codeText() const;
    void setCodeText(const QString& text);
    QString codeErrorText() const;
    QString stageName() const;
    QString title() const;
    QString message() const;
    QVariantMap avatar() const;
    QVariantMap confirmation() const;

Q_SIGNALS:
    void addressChanged();
    void addressErrorChanged();
    void unopenedPageChanged();
    void showsCodeEntryChanged();
    void codeChanged();
    void codeErrorChanged();
    void stageChanged();

private:
    void refreshStage();
    /// The opener's answer for the latest pairing page.
    void pageOpened(std::string page, bool opened);

    PairStepModel& model_;
    UrlOpening& opener_;
    SetupTaskStart start_;
    std::string address_;
    std::optional<std::string> addressError_;
    bool isWaitingForBrowser_ = false;
    std::optional<std::string> unopenedPage_;
    std::uint64_t pageRequests_ = 0;
    bool showsCodeEntry_ = false;
    PairStage stage_;
};

} // namespace velto
