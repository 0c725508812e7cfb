#pragma once

#include "VeltoDesktop/System/PreferencesDomain.hpp"
#include "VeltoDevice/Enrollment/HarnessKind.hpp"

#include <QObject>
#include <array>
#include <memory>
#include <set>
#include <string_view>

namespace velto {

/// The user's persisted choices. Each setter notifies only when the value changed, and writes the
/// value to the standard domain at every assignment. Main thread only.
class DevicePreferences final : public QObject {
    Q_OBJECT

public:
    /// The keys copied from the earlier domain when the standard one lacks them, in this order.
    static constexpr std::array<std::string_view, 5> earlierKeys{
        "lendsSubscriptions", "monitoredAgents", "hasFinishedSetup", "paused", "lastServerAddress"};

    /// Moves the earlier choices first, then reads monitoredAgents, lendsSubscriptions and
    /// hasFinishedSetup from `standard`.
    DevicePreferences(std::shared_ptr<PreferencesDomain> standard,
                      std::shared_ptr<PreferencesDomain> earlier);

    /// Copies each of `earlierKeys` that `standard` lacks and `earlier` holds, unchanged (a false or an
    /// empty text included); removes nothing from `earlier`.
    static void moveEarlierChoices(PreferencesDomain& standard, const PreferencesDomain& earlier);

    /// The domain the other keys of the application live in ("paused", "lastServerAddress").
    PreferencesDomain& standard() const { return *standard_; }

    bool lendsSubscriptions() const { return lendsSubscriptions_; }
    void setLendsSubscriptions(bool value);

    const std::set<HarnessKind>& monitoredAgents() const { return monitoredAgents_; }
    /// Stored as the raw values in ascending text order.
    void setMonitoredAgents(std::set<HarnessKind> value);

    bool hasFinishedSetup() const { return hasFinishedSetup_; }
    void setHasFinishedSetup(bool value);

Q_SIGNALS:
    void lendsSubscriptionsChanged();
    void monitoredAgentsChanged();
    void hasFinishedSetupChanged();

private:
    std::shared_ptr<PreferencesDomain> standard_;
    std::shared_ptr<PreferencesDomain> earlier_;
    bool lendsSubscriptions_ = false;
    std::set<HarnessKind> monitoredAgents_;
    bool hasFinishedSetup_ = false;
};

} // namespace velto
