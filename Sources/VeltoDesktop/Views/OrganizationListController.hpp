#pragma once

#include "VeltoDesktop/Model/EnrolledOrganization.hpp"
#include "VeltoDesktop/Views/OrganizationRows.hpp"
#include "VeltoDesktop/Views/PanelModel.hpp"
#include "VeltoDesktop/Views/UrlOpening.hpp"
#include "VeltoDevice/Scopes/DeviceScope.hpp"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <optional>
#include <string>

namespace velto {

/// The organization card's rows and its two confirmations. A confirmation names its organization by
/// device id: it vanishes when that organization leaves the list, and both clear when the panel
/// closes. A removal wins over a consent. Main thread.
class OrganizationListController final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QObject* rows READ rows CONSTANT)
    Q_PROPERTY(int rowCount READ rowCount NOTIFY rowCountChanged)
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)
    /// Empty without a confirmation; else kind ("removal" or "consent"), headline, caption, note,
    /// confirmTitle and isDestructive.
    Q_PROPERTY(QVariantMap confirmation READ confirmation NOTIFY confirmationChanged)

public:
    /// The most the rows take before they scroll.
    static constexpr double maximumRowsHeight = 154;

    OrganizationListController(PanelModel& model, std::shared_ptr<UrlOpening> urls,
                               QObject* parent = nullptr);

    QObject* rows() { return &rows_; }
    int rowCount() const { return rows_.rowCount(); }
    QString problem() const;
    QVariantMap confirmation() const;

    /// The scroll view's height for the rows' measured height.
    Q_INVOKABLE double scrollHeight(double rowsHeight) const {
        return rowsHeight > maximumRowsHeight ? maximumRowsHeight : rowsHeight;
    }

    /// "Open in Velto": closes the menu, then opens the organization's server.
    Q_INVOKABLE void openInVelto(const QString& deviceId);
    Q_INVOKABLE void askToRemove(const QString& deviceId);
    /// A scope switch turned on: asks first.
    Q_INVOKABLE void askToAgree(const QString& deviceId, int scope);
    /// A scope switch turned off: the answer goes at once.
    Q_INVOKABLE void takeBack(const QString& deviceId, int scope);
    /// "Allow" or "Remove <name>".
    Q_INVOKABLE void confirm();
    Q_INVOKABLE void cancel();

    /// The panel closed: no confirmation outlives it.
    void clearConfirmations();

Q_SIGNALS:
    void rowCountChanged();
    void problemChanged();
    void confirmationChanged();

private:
    struct PendingConsent {
        std::string deviceId;
        DeviceScope scope;
    };
    const EnrolledOrganization* find(const std::string& deviceId) const;
    void dropVanished();
    void answer(const std::string& deviceId, DeviceScope scope, bool isGranted);

    QPointer<PanelModel> model_;
    std::shared_ptr<UrlOpening> urls_;
    OrganizationRows rows_;
    std::optional<std::string> pendingRemoval_;
    std::optional<PendingConsent> pendingConsent_;
};

} // namespace velto
