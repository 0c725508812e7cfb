#pragma once

#include "VeltoDesktop/Setup/PairStage.hpp"

#include <QString>

namespace velto {

/// The pair step's title and message for each stage.
struct PairStepTexts {
    /// Paired: the first name, ", you're in ", the organizations and ".".
    static QString title(const PairStage& stage);
    /// Paired: the refusal summary when there is one, else the paired sentence; failed: its text.
    static QString message(const PairStage& stage);
};

} // namespace velto
