#include "VeltoDesktop/Model/OwnedTasks.hpp"

#include "VeltoDevice/Support/LoggedCompletion.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/co_spawn.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace velto {

/// The cancellation signal of every task still running. Shared with the tasks' completions, which
/// may come after the owner is gone.
struct OwnedTasks::Running {
    std::map<std::uint64_t, std::shared_ptr<boost::asio::cancellation_signal>> signals;
    std::uint64_t next = 0;
};

namespace {

boost::asio::awaitable<void> whileOwned(QPointer<QObject> owner, boost::asio::awaitable<void> task) {
    if (!owner)
        co_return;
    co_await std::move(task);
}

} // namespace

OwnedTasks::OwnedTasks(QObject& owner, boost::asio::any_io_executor main, Logger log)
    : owner_(&owner), main_(std::move(main)), log_(std::move(log)), running_(std::make_shared<Running>()) {}

OwnedTasks::~OwnedTasks() {
    // Emitting may complete a task at once, which erases its entry: emit over a copy.
    std::vector<std::shared_ptr<boost::asio::cancellation_signal>> signals;
    for (const auto& [id, signal] : running_->signals)
        signals.push_back(signal);
    for (const auto& signal : signals)
        signal->emit(boost::asio::cancellation_type::terminal);
}

void OwnedTasks::spawn(std::string_view operation, boost::asio::awaitable<void> task) {
    const auto id = running_->next++;
    auto signal = std::make_shared<boost::asio::cancellation_signal>();
    running_->signals.emplace(id, signal);
    auto slot = signal->slot();
    boost::asio::co_spawn(
        main_, whileOwned(owner_, std::move(task)),
        boost::asio::bind_cancellation_slot(
            slot, [running = running_, id, signal,
                   ended = LoggedCompletion(log_, operation)](const std::exception_ptr& error) {
                ended(error);
                running->signals.erase(id);
            }));
}

std::size_t OwnedTasks::running() const {
    return running_->signals.size();
}

} // namespace velto
