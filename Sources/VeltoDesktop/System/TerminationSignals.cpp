#include "VeltoDesktop/System/TerminationSignals.hpp"

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace velto {

namespace {

sigset_t terminationSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

} // namespace

void TerminationSignals::blockInThisThread() {
    auto set = terminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TerminationSignals::TerminationSignals() {
    auto set = terminationSet();
    descriptor_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (descriptor_ < 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(descriptor_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info{};
        while (read(descriptor_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
        Q_EMIT requested();
    });
}

TerminationSignals::~TerminationSignals() {
    notifier_.reset();
    if (descriptor_ >= 0)
        close(descriptor_);
}

} // namespace velto
