#include "VeltoDesktop/System/MemoryTrimmer.hpp"

#include <malloc.h>

namespace velto {

MemoryTrimmer::MemoryTrimmer(std::chrono::milliseconds quiet) {
    timer_.setSingleShot(true);
    timer_.setInterval(quiet);
    QObject::connect(&timer_, &QTimer::timeout, this, [] { ::malloc_trim(0); });
}

void MemoryTrimmer::settle() {
    timer_.start();
}

} // namespace velto
