#include "VeltoDesktop/AppLog.hpp"

namespace velto {

const Logger& appLog() {
    static const Logger logger("app");
    return logger;
}

} // namespace velto
