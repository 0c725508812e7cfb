#pragma once

#include "VeltoDevice/Support/Log.hpp"

#include <exception>
#include <string>
#include <string_view>

namespace velto {

/// The completion of a task that nobody awaits: an error that ends it gets one error line in the
/// log's category, naming the operation; cancellation (operation_aborted) is a stop, not an error.
class LoggedCompletion {
public:
    LoggedCompletion(Logger log, std::string_view operation) : log_(std::move(log)), operation_(operation) {}

    void operator()(const std::exception_ptr& error) const;

private:
    Logger log_;
    std::string operation_;
};

} // namespace velto
