#include "VeltoDevice/Support/DeviceThread.hpp"

namespace velto {

DeviceThread::DeviceThread() : work_(boost::asio::make_work_guard(context_)) {
    thread_ = std::thread([this] { context_.run(); });
}

DeviceThread::~DeviceThread() {
    stop();
}

void DeviceThread::stop() {
    work_.reset();
    context_.stop();
    if (thread_.joinable())
        thread_.join();
    pool_.join();
}

} // namespace velto
