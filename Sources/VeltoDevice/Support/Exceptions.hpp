#pragma once

#include <exception>
#include <string>

namespace velto {

/// True when the error is Asio's operation_aborted: a stop, not a failure.
bool isCancellation(const std::exception_ptr& error);

/// Throws Asio's operation_aborted, as a stop is told apart from a failure.
[[noreturn]] void throwCancellation();

/// The error's what(), for log lines and reasons; "an unknown error" for anything else thrown.
std::string describe(const std::exception_ptr& error);

} // namespace velto
