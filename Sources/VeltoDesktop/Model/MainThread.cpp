#include "VeltoDesktop/Model/MainThread.hpp"

#include <QCoreApplication>
#include <QThread>
#include <cassert>

namespace velto {

void assertOnMainThread() {
#ifndef NDEBUG
    const auto* application = QCoreApplication::instance();
    assert(application != nullptr && QThread::currentThread() == application->thread() &&
           "model code runs on the main thread only");
#endif
}

} // namespace velto
