#pragma once

#include "VeltoDevice/Update/JobActivity.hpp"
#include "VeltoDevice/Update/UpdateDownloading.hpp"
#include "VeltoDevice/Update/UpdateInstalling.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"
#include "VeltoDevice/Update/UpdateStaging.hpp"

#include <boost/asio/cancellation_state.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/system/system_error.hpp>

#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velto::testing {

/// One answer a fake gives when the test says: `wait` suspends until `open` (or the waiter's
/// cancellation, which ends it with operation_aborted).
class Gate {
public:
    boost::asio::awaitable<void> wait() {
        auto timer = std::make_shared<boost::asio::steady_timer>(co_await boost::asio::this_coro::executor);
        timer->expires_at(boost::asio::steady_timer::time_point::max());
        waiters_.push_back(timer);
        boost::system::error_code ignored;
        co_await timer->async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, ignored));
        if (!opened_)
            throw boost::system::system_error(boost::asio::error::operation_aborted);
    }
    void open() {
        opened_ = true;
        for (auto& timer : waiters_)
            timer->cancel();
        waiters_.clear();
    }
    bool hasWaiter() const { return !waiters_.empty(); }

private:
    std::vector<std::shared_ptr<boost::asio::steady_timer>> waiters_;
    bool opened_ = false;
};

/// A staging the test answers: each `stage` waits for its gate, then gives the result set for it.
class HoldableStager final : public UpdateStaging {
public:
    struct Call {
        VerifiedUpdate update;
        Gate gate;
        /// Thrown when set, else a StagedUpdate for the version.
        std::exception_ptr error;
        bool cancelled = false;
        bool ended = false;
    };

    boost::asio::awaitable<StagedUpdate> stage(VerifiedUpdate update) override {
        auto call = std::make_shared<Call>(Call{update, {}, {}, false, false});
        calls.push_back(call);
        // An attempt already past its last cancellation point.
        if (ignoresCancellation)
            co_await boost::asio::this_coro::reset_cancellation_state(boost::asio::disable_cancellation());
        try {
            co_await call->gate.wait();
        } catch (const boost::system::system_error&) {
            call->cancelled = true;
            call->ended = true;
            throw;
        }
        call->ended = true;
        if (call->error)
            std::rethrow_exception(call->error);
        co_return staged(update.version);
    }
    void discard(const StagedUpdate& update) override { discarded.push_back(update.version.text()); }

    static StagedUpdate staged(const AppVersion& version) {
        return StagedUpdate{version, "/staging/" + version.text() + "/expanded/Velto.app",
                            "/staging/" + version.text()};
    }

    /// Lets call `index` finish with success, or with `error`.
    void succeed(std::size_t index) { calls.at(index)->gate.open(); }
    void fail(std::size_t index, std::exception_ptr error) {
        calls.at(index)->error = std::move(error);
        calls.at(index)->gate.open();
    }

    std::vector<std::shared_ptr<Call>> calls;
    std::vector<std::string> discarded;
    bool ignoresCancellation = false;
};

/// The job runner as the coordinator sees it, answering `isIdle` when the test opens its gate (or at
/// once when `answerAtOnce`).
class HoldableActivity final : public JobActivity {
public:
    boost::asio::awaitable<bool> isIdle() override {
        events.push_back("isIdle");
        if (!answerAtOnce) {
            auto gate = std::make_shared<Gate>();
            pending.push_back(gate);
            co_await gate->wait();
        }
        co_return idle;
    }
    boost::asio::awaitable<void> holdNewJobs(bool hold) override {
        events.push_back(hold ? "hold" : "release");
        holds = hold;
        co_return;
    }
    /// Answers the oldest pending `isIdle`.
    void answer() {
        auto gate = pending.front();
        pending.pop_front();
        gate->open();
    }

    bool idle = true;
    bool answerAtOnce = true;
    bool holds = false;
    std::vector<std::string> events;
    std::deque<std::shared_ptr<Gate>> pending;
};

class RecordingInstaller final : public UpdateInstalling {
public:
    void install(const StagedUpdate& staged) override {
        installed.push_back(staged.version.text());
        if (failure)
            std::rethrow_exception(failure);
    }
    std::vector<std::string> installed;
    std::exception_ptr failure;
};

/// A download that writes the given bytes, or fails, or waits for its gate first.
class ScriptedDownloader final : public UpdateDownloading {
public:
    boost::asio::awaitable<void> download(boost::urls::url url, std::filesystem::path destination) override {
        urls.push_back(std::string(url.buffer()));
        destinations.push_back(destination);
        if (hold)
            co_await gate.wait();
        if (fails)
            throw UpdateRefusal(UpdateRefusal::Case::downloadFailed);
        std::filesystem::copy_file(source, destination);
    }

    std::filesystem::path source;
    bool fails = false;
    bool hold = false;
    Gate gate;
    std::vector<std::string> urls;
    std::vector<std::filesystem::path> destinations;
};

} // namespace velto::testing
