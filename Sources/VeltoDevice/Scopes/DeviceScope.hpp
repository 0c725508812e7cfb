#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace velto {

/// A kind of work the user consents to run on this machine, per organization. Encodes as its raw value.
enum class DeviceScope { reviews, sreQuestions, sreInvestigations, sreReach };

/// Every scope, in declaration order.
inline constexpr std::array<DeviceScope, 4> allDeviceScopes{
    DeviceScope::reviews, DeviceScope::sreQuestions, DeviceScope::sreInvestigations, DeviceScope::sreReach};

/// The scopes the setup window asks for and that are answered in every organization, in this order.
inline constexpr std::array<DeviceScope, 3> agreedDeviceScopes{
    DeviceScope::sreQuestions, DeviceScope::sreInvestigations, DeviceScope::sreReach};

/// "reviews", "sre-questions", "sre-investigations", "sre-reach".
std::string_view rawValue(DeviceScope scope);
/// Exactly one of the four raw values (case-sensitive), else nothing.
std::optional<DeviceScope> deviceScopeFromRawValue(std::string_view text);
/// The scope's name as shown to the user.
std::string_view title(DeviceScope scope);
/// The paragraph shown before the user agrees (plain ASCII).
std::string_view consent(DeviceScope scope);
/// The scopes whose work this one extends, in order; empty for all but sreReach.
std::span<const DeviceScope> widens(DeviceScope scope);

} // namespace velto
