#include "VeltoDesktop/Model/InstallWhenIdle.hpp"

#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/Log.hpp"

#include <exception>

namespace velto {

boost::asio::awaitable<void> installWhenIdle(NewestStream<JobRunnerControl::Event>::Reader idleEvents,
                                             std::function<boost::asio::awaitable<void>()> install) {
    static const Logger log("update");
    for (;;) {
        auto next = idleEvents.next();
        auto event = co_await std::move(next);
        if (!event)
            co_return;
        std::exception_ptr error;
        try {
            auto installing = install();
            co_await std::move(installing);
        } catch (...) {
            error = std::current_exception();
        }
        if (error && isCancellation(error))
            std::rethrow_exception(error);
        if (error)
            log.error("installing once the jobs were idle ended with an error: " + describe(error));
    }
}

} // namespace velto
