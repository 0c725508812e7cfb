#include "VeltoDesktop/Model/DevicePreferences.hpp"

#include <algorithm>
#include <string>
#include <vector>

namespace velto {

namespace {

constexpr std::string_view lendsKey = "lendsSubscriptions";
constexpr std::string_view monitoredKey = "monitoredAgents";
constexpr std::string_view finishedKey = "hasFinishedSetup";

std::set<HarnessKind> readAgents(const PreferencesDomain& domain) {
    std::set<HarnessKind> kinds;
    auto stored = domain.value(monitoredKey);
    if (!stored || !stored->is_array())
        return kinds;
    for (const auto& entry : *stored) {
        if (!entry.is_string())
            continue;
        if (auto kind = harnessKindFromRawValue(entry.get_ref<const std::string&>()))
            kinds.insert(*kind);
    }
    return kinds;
}

} // namespace

DevicePreferences::DevicePreferences(std::shared_ptr<PreferencesDomain> standard,
                                     std::shared_ptr<PreferencesDomain> earlier)
    : standard_(std::move(standard)), earlier_(std::move(earlier)) {
    moveEarlierChoices(*standard_, *earlier_);
    monitoredAgents_ = readAgents(*standard_);
    lendsSubscriptions_ = standard_->boolean(lendsKey).value_or(false);
    hasFinishedSetup_ = standard_->boolean(finishedKey).value_or(false);
}

void DevicePreferences::moveEarlierChoices(PreferencesDomain& standard, const PreferencesDomain& earlier) {
    for (auto key : earlierKeys) {
        if (standard.value(key))
            continue;
        if (auto value = earlier.value(key))
            standard.set(key, std::move(*value));
    }
}

void DevicePreferences::setLendsSubscriptions(bool value) {
    const bool changed = value != lendsSubscriptions_;
    lendsSubscriptions_ = value;
    standard_->set(lendsKey, value);
    if (changed)
        Q_EMIT lendsSubscriptionsChanged();
}

void DevicePreferences::setMonitoredAgents(std::set<HarnessKind> value) {
    const bool changed = value != monitoredAgents_;
    monitoredAgents_ = std::move(value);
    std::vector<std::string> names;
    for (auto kind : monitoredAgents_)
        names.emplace_back(rawValue(kind));
    std::sort(names.begin(), names.end());
    standard_->set(monitoredKey, names);
    if (changed)
        Q_EMIT monitoredAgentsChanged();
}

void DevicePreferences::setHasFinishedSetup(bool value) {
    const bool changed = value != hasFinishedSetup_;
    hasFinishedSetup_ = value;
    standard_->set(finishedKey, value);
    if (changed)
        Q_EMIT hasFinishedSetupChanged();
}

} // namespace velto
