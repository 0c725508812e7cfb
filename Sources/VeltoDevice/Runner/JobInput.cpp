#include "VeltoDevice/Runner/JobInput.hpp"

#include "VeltoDevice/Runner/RunnerLog.hpp"
#include "VeltoDevice/Support/LoggedCompletion.hpp"

#include <boost/asio/co_spawn.hpp>

#include <utility>

namespace velto {

JobInput::JobInput(boost::asio::any_io_executor executor, std::string jobId, PipeEnd pipe)
    : executor_(std::move(executor)), jobId_(std::move(jobId)), pipe_(std::move(pipe)) {}

void JobInput::write(std::string line) {
    if (closed_ || queuedBytes_ + line.size() > queueLimit) {
        dropped();
        return;
    }
    queuedBytes_ += line.size();
    queue_.push_back(std::move(line));
    if (writing_)
        return;
    writing_ = true;
    boost::asio::co_spawn(executor_, drain(shared_from_this()),
                          LoggedCompletion(runnerLog(), "write the input of job " + jobId_));
}

void JobInput::close() {
    closed_ = true;
    queue_.clear();
    queuedBytes_ = 0;
    pipe_.close();
}

void JobInput::dropped() const {
    runnerLog().error("could not hand a tool result to job " + jobId_);
}

boost::asio::awaitable<void> JobInput::drain(std::shared_ptr<JobInput> self) {
    while (!self->closed_ && !self->queue_.empty()) {
        std::string line = std::move(self->queue_.front());
        self->queue_.pop_front();
        bool failed = false;
        try {
            co_await self->pipe_.write(line);
        } catch (...) {
            failed = true;
        }
        if (self->closed_)
            break;
        self->queuedBytes_ -= line.size();
        if (failed)
            self->dropped();
    }
    self->writing_ = false;
}

} // namespace velto
