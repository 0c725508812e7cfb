#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace velto {

/// The steps of the setup window, in the order they are walked (which is also their raw values).
enum class SetupStep { pair = 0, federation = 1, monitoring = 2, commandLineTool = 3, openAtLogin = 4 };

/// Every step, in order.
inline constexpr std::array<SetupStep, 5> allSetupSteps{SetupStep::pair, SetupStep::federation,
                                                        SetupStep::monitoring, SetupStep::commandLineTool,
                                                        SetupStep::openAtLogin};

inline int rawValue(SetupStep step) {
    return static_cast<int>(step);
}

/// 0 to 4, else nothing.
inline std::optional<SetupStep> setupStepFromRawValue(int value) {
    if (value < 0 || value >= static_cast<int>(allSetupSteps.size()))
        return std::nullopt;
    return allSetupSteps[static_cast<std::size_t>(value)];
}

} // namespace velto
