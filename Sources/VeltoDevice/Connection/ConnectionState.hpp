#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace velto {

/// One organization's connection as its owner sees it.
class ConnectionState {
public:
    /// In the order the states are listed to the user's code; the payload goes with the case.
    enum class Case {
        /// The server welcomed the device under `deviceId()`.
        connected,
        /// The last attempt failed for `reason()`; the next dial comes after `afterMilliseconds()`.
        retrying,
        /// A final failure (revoked or replaced) for `reason()`: no more dialing.
        stopped,
        /// Stopped by the owner.
        offline,
        /// A dial is under way.
        connecting
    };

    static ConnectionState connected(std::string deviceId);
    static ConnectionState retrying(std::int64_t afterMilliseconds, std::string reason);
    static ConnectionState stopped(std::string reason);
    static ConnectionState offline();
    static ConnectionState connecting();

    Case kind() const { return kind_; }
    /// The device id of `connected`; empty otherwise.
    const std::string& deviceId() const;
    /// The error text of `retrying` and `stopped`; empty otherwise.
    const std::string& reason() const;
    /// The delay of `retrying`; 0 otherwise.
    std::int64_t afterMilliseconds() const { return afterMilliseconds_; }

    friend bool operator==(const ConnectionState&, const ConnectionState&) = default;
    /// For test failures and log lines: "connected(dev-1)", "retrying(750 ms, reason)", "offline".
    friend std::ostream& operator<<(std::ostream& out, const ConnectionState& state);

private:
    ConnectionState(Case kind, std::string text, std::int64_t afterMilliseconds)
        : kind_(kind), text_(std::move(text)), afterMilliseconds_(afterMilliseconds) {}

    Case kind_;
    std::string text_;
    std::int64_t afterMilliseconds_ = 0;
};

} // namespace velto
