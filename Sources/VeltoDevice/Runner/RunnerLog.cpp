#include "VeltoDevice/Runner/RunnerLog.hpp"

namespace velto {

const Logger& runnerLog() {
    static const Logger logger("runner");
    return logger;
}

} // namespace velto
