#pragma once

#include <boost/asio/execution.hpp>
#include <boost/asio/execution_context.hpp>

#include <QEvent>
#include <QObject>
#include <cstddef>
#include <memory>
#include <mutex>
#include <utility>

namespace velto {

namespace detail {

/// One piece of work posted to the main thread.
struct MainThreadWork {
    virtual ~MainThreadWork() = default;
    virtual void run() = 0;
};

} // namespace detail

/// The application's main thread as an Asio executor: `execute()` posts the work to the Qt event
/// loop, so model coroutines spawned on it run between the loop's other events, and a coroutine that
/// awaited the device thread resumes here; a dispatch made on the main thread itself runs at once. The
/// context query answers this object, an execution context of its own, which is all co_spawn and the hop back
/// need.
///
/// Work may be posted from any thread; it runs on the thread this object lives on. Work still queued
/// when the object is destroyed is destroyed without running, and so is work posted after that (as
/// the device io_context does when it is destroyed with coroutines that would resume here).
class MainThreadContext final : public QObject, public boost::asio::execution_context {
    Q_OBJECT

public:
    /// The context while it lives; executors hold it, so that they never post to a destroyed one.
    struct Handle {
        std::mutex mutex;
        MainThreadContext* context = nullptr;
    };

    class Executor {
    public:
        explicit Executor(MainThreadContext& context) noexcept
            : context_(&context), handle_(context.handle_) {}

        boost::asio::execution_context& query(boost::asio::execution::context_t) const noexcept {
            return *context_;
        }
        boost::asio::execution::blocking_t query(boost::asio::execution::blocking_t) const noexcept {
            return mayRunInline_
                       ? boost::asio::execution::blocking_t(boost::asio::execution::blocking.possibly)
                       : boost::asio::execution::blocking_t(boost::asio::execution::blocking.never);
        }
        /// Always queued (post, defer).
        Executor require(boost::asio::execution::blocking_t::never_t) const noexcept {
            Executor copy(*this);
            copy.mayRunInline_ = false;
            return copy;
        }
        /// Run at once when already on the main thread (dispatch), as an io_context's executor does.
        Executor require(boost::asio::execution::blocking_t::possibly_t) const noexcept {
            Executor copy(*this);
            copy.mayRunInline_ = true;
            return copy;
        }

        template <typename Function> void execute(Function function) const {
            if (mayRunInline_ && MainThreadContext::isCurrentThread(*handle_)) {
                std::move(function)();
                return;
            }
            MainThreadContext::post(*handle_, std::make_unique<Work<Function>>(std::move(function)));
        }

        MainThreadContext& context() const noexcept { return *context_; }

        /// C++20 rewrites `!=` from this.
        friend bool operator==(const Executor& a, const Executor& b) noexcept {
            return a.context_ == b.context_;
        }

    private:
        MainThreadContext* context_;
        std::shared_ptr<Handle> handle_;
        bool mayRunInline_ = true;
    };

    MainThreadContext();
    ~MainThreadContext() override;

    Executor executor() noexcept { return Executor(*this); }

    /// Whether the caller runs on the thread this context posts to.
    bool isCurrentThread() const;
    /// How many pieces of work have run here.
    std::size_t completedWork() const { return completed_; }

protected:
    bool event(QEvent* event) override;

private:
    template <typename Function> struct Work final : detail::MainThreadWork {
        explicit Work(Function f) : function(std::move(f)) {}
        void run() override { std::move(function)(); }
        Function function;
    };

    static void post(Handle& handle, std::unique_ptr<detail::MainThreadWork> work);
    static bool isCurrentThread(Handle& handle);

    std::shared_ptr<Handle> handle_;
    std::size_t completed_ = 0;
};

} // namespace velto
