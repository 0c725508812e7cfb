#pragma once

#include "VeltoDevice/Support/Log.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <QPointer>
#include <memory>
#include <string_view>

namespace velto {

/// The main-thread tasks of one object, which nobody awaits: each runs on the main executor (at once
/// when spawned there), starts only while its owner lives (held weakly), and an error that ends it
/// gets one line in the log
/// (its category and the task's operation). Destroying this, as the owner's destructor does, cancels
/// every task still running: each ends at its next wait with operation_aborted, which is not logged.
class OwnedTasks {
public:
    OwnedTasks(QObject& owner, boost::asio::any_io_executor main, Logger log);
    ~OwnedTasks();

    OwnedTasks(const OwnedTasks&) = delete;
    OwnedTasks& operator=(const OwnedTasks&) = delete;

    /// Starts `task`, named by `operation` in the log ("refresh the harnesses").
    void spawn(std::string_view operation, boost::asio::awaitable<void> task);

    /// The tasks started and not yet ended.
    std::size_t running() const;

    const boost::asio::any_io_executor& executor() const { return main_; }

private:
    struct Running;

    QPointer<QObject> owner_;
    boost::asio::any_io_executor main_;
    Logger log_;
    std::shared_ptr<Running> running_;
};

} // namespace velto
