#pragma once

#include <exception>
#include <string>

namespace velto {

/// Base of every error the library reports: `what()` is the complete user-facing sentence.
/// Cancellation is never one of these; it stays Asio's operation_aborted.
class Error : public std::exception {
public:
    explicit Error(std::string description) : description_(std::move(description)) {}

    const char* what() const noexcept override { return description_.c_str(); }
    const std::string& description() const noexcept { return description_; }

private:
    std::string description_;
};

} // namespace velto
