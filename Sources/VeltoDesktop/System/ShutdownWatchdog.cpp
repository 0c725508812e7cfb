#include "VeltoDesktop/System/ShutdownWatchdog.hpp"

#include "VeltoDesktop/AppLog.hpp"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace velto {

struct ShutdownWatchdog::State {
    std::mutex mutex;
    std::condition_variable finished;
    bool isArmed = false;
    bool isDone = false;
};

ShutdownWatchdog::ShutdownWatchdog() : state_(std::make_shared<State>()) {}

ShutdownWatchdog::~ShutdownWatchdog() {
    std::lock_guard lock(state_->mutex);
    state_->isDone = true;
    state_->finished.notify_all();
}

bool ShutdownWatchdog::isArmed() const {
    std::lock_guard lock(state_->mutex);
    return state_->isArmed;
}

void ShutdownWatchdog::arm() {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->isArmed)
            return;
        state_->isArmed = true;
    }
    std::thread([state = state_] {
        std::unique_lock lock(state->mutex);
        if (state->finished.wait_for(lock, limit, [&] { return state->isDone; }))
            return;
        appLog().fault("quitting took longer than 5 s: ending the process");
        _exit(1);
    }).detach();
}

} // namespace velto
