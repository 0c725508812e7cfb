#pragma once

#include "VeltoDesktop/Setup/SetupStep.hpp"

#include <QString>
#include <vector>

namespace velto {

/// The header's step dots: one per step, the current one wide, those up to it filled.
struct StepDots {
    struct Dot {
        bool isCurrent = false;
        bool isFilled = false;
        friend bool operator==(const Dot&, const Dot&) = default;
    };

    std::vector<Dot> dots;
    /// "Step 2 of 5": the current step's position counted from 1 (1 when it is not there).
    QString label;

    static StepDots of(SetupStep step, const std::vector<SetupStep>& steps);
};

} // namespace velto
