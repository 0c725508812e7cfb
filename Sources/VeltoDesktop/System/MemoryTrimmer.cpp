#include "VeltoDesktop/System/MemoryTrimmer.hpp"

#include <malloc.h>

namespace velto {

MemoryTrimmer::MemoryTrimmer(std::chrono::milliseconds quiet, std::function<void()> trim, QObject* parent)
    : QObject(parent), trim_(trim ? std::move(trim) : [] { ::malloc_trim(0); }) {
    timer_.setSingleShot(true);
    timer_.setInterval(quiet);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { trim_(); });
}

void MemoryTrimmer::settle() {
    timer_.start();
}

} // namespace velto
