#include "VeltoDevice/Enrollment/SetupProgress.hpp"

namespace velto {

SetupProgress setupProgress(bool isEnrolled, bool hasFinishedSetup) {
    if (!isEnrolled)
        return SetupProgress::unpaired;
    return hasFinishedSetup ? SetupProgress::finished : SetupProgress::pairedWithChoicesLeft;
}

bool isUnfinished(SetupProgress progress) {
    return progress != SetupProgress::finished;
}

} // namespace velto
