#pragma once

#include "VeltoDevice/Scopes/DeviceScope.hpp"

#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <set>

namespace velto {

class FederationStepModel;

/// The federation step: the kinds of work agreed to with the widening rule, the signed-in harnesses,
/// and lending the user's subscriptions. Each property notifies only when its value changed. Main
/// thread only.
class FederationPresenter final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString message READ message NOTIFY enrollmentsChanged)
    Q_PROPERTY(QVariantMap firstEnrollment READ firstEnrollment NOTIFY enrollmentsChanged)
    Q_PROPERTY(QVariantList scopeRows READ scopeRows NOTIFY agreedScopesChanged)
    Q_PROPERTY(QVariantList harnessChips READ harnessChips NOTIFY harnessesChanged)

public:
    explicit FederationPresenter(FederationStepModel& model, QObject* parent = nullptr);

    const std::set<DeviceScope>& agreedScopes() const { return agreedScopes_; }
    /// The user's switch of one kind of work, with the widening rule.
    void setAgreement(DeviceScope scope, bool isOn);
    Q_INVOKABLE void setScope(const QString& scope, bool isOn);

    /// Stores the choice, announces the hello and, when lending, agrees to the agreed scopes in every
    /// organization. Failures of the announcement and of the answers are the model's to report: this
    /// ends normally, and touches nothing of the presenter after its first await.
    boost::asio::awaitable<void> choose(bool lends);

    // What the views show.
    QString message() const;
    QVariantMap firstEnrollment() const;
    QVariantList scopeRows() const;
    QVariantList harnessChips() const;

Q_SIGNALS:
    void enrollmentsChanged();
    void agreedScopesChanged();
    void harnessesChanged();
    /// A scope just turned on, first in agreed order: its consent should come into view.
    void scopeAgreed(const QString& scope);

private:
    FederationStepModel& model_;
    std::set<DeviceScope> agreedScopes_;
};

} // namespace velto
