#pragma once

#include "VeltoDesktop/Setup/PairStage.hpp"
#include "VeltoDesktop/Setup/SetupStep.hpp"

#include <QString>
#include <optional>

namespace velto {

/// The footer of one step: "Back" on every step but the first, the step's secondary and primary
/// buttons, and whether they can be pressed.
struct SetupFooterButtons {
    bool showsBack = false;
    std::optional<QString> secondary;
    std::optional<QString> primary;
    /// Off while a footer action awaits the model, and on the command-line step while an install runs.
    bool isEnabled = true;

    static SetupFooterButtons of(SetupStep step, PairStage::Case stage, bool isOnLastStep, bool isBusy,
                                 bool isInstallingCommandLineTool);

    friend bool operator==(const SetupFooterButtons&, const SetupFooterButtons&) = default;
};

} // namespace velto
