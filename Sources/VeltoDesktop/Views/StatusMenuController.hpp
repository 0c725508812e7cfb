#pragma once

#include "VeltoDesktop/Views/OrganizationListController.hpp"
#include "VeltoDesktop/Views/PanelModel.hpp"
#include "VeltoDesktop/Views/UrlOpening.hpp"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <memory>

namespace velto {

/// What the status menu binds to: the header, the organization card, the setup card, the harness
/// card and the commands, each from its presenter over the panel model; and the actions its controls
/// call. Every command but the open-at-login switch and quitting closes the menu first. Main thread.
class StatusMenuController final : public QObject {
    Q_OBJECT
    /// hasUser, name, secondLine, initial, avatar, tooltip.
    Q_PROPERTY(QVariantMap header READ header NOTIFY headerChanged)
    Q_PROPERTY(QObject* organizations READ organizations CONSTANT)
    /// Empty, or title and explanation.
    Q_PROPERTY(QVariantMap setupCard READ setupCard NOTIFY commandsChanged)
    Q_PROPERTY(QString pendingUpdate READ pendingUpdate NOTIFY commandsChanged)
    /// Each: title, shortcut, isChecked, isEnabled, refusal.
    Q_PROPERTY(QVariantList commands READ commands NOTIFY commandsChanged)
    /// Each: kind (raw value), label, value, tone (0 normal, 1 attention, 2 muted), isInstalled,
    /// failure, switchTitle.
    Q_PROPERTY(QVariantList harnesses READ harnesses NOTIFY harnessesChanged)
    Q_PROPERTY(QString harnessPlaceholder READ harnessPlaceholder NOTIFY harnessesChanged)

public:
    /// `quit` ends the application; `openLoginItemSettings` shows where the desktop lists what opens
    /// at login.
    StatusMenuController(PanelModel& model, std::shared_ptr<UrlOpening> urls, std::function<void()> quit,
                         std::function<void()> openLoginItemSettings, QObject* parent = nullptr);

    QVariantMap header() const;
    QObject* organizations() { return &organizationList_; }
    OrganizationListController& organizationList() { return organizationList_; }
    QVariantMap setupCard() const;
    QString pendingUpdate() const;
    QVariantList commands() const;
    QVariantList harnesses() const;
    QString harnessPlaceholder() const;

    /// The header's card: closes the menu, then opens the first organization's server.
    Q_INVOKABLE void openDashboard();
    Q_INVOKABLE void runCommand(int index);
    /// The setup card's "Get Started…".
    Q_INVOKABLE void getStarted();
    /// "Copy Version" of a harness row: the pasteboard holds exactly the row's copy text.
    Q_INVOKABLE void copyVersion(int index);
    /// The add-on switch of a harness row.
    Q_INVOKABLE void toggleAgent(int index);
    /// The keyboard shortcuts: Ctrl+P pauses or resumes, Ctrl+Q quits.
    Q_INVOKABLE void togglePause();
    Q_INVOKABLE void quit();

    /// Called when the panel opens: the harnesses, the login item and the command are read again.
    void panelOpened();
    void panelClosed();

Q_SIGNALS:
    void headerChanged();
    void commandsChanged();
    void harnessesChanged();

private:
    QPointer<PanelModel> model_;
    std::shared_ptr<UrlOpening> urls_;
    std::function<void()> quit_;
    std::function<void()> openLoginItemSettings_;
    OrganizationListController organizationList_;
};

} // namespace velto
