#pragma once

#include "VeltoDevice/Support/FileDescriptor.hpp"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// The few stream operations on a local socket that the single instance needs, on plain descriptors,
/// so that the agent does not load a network library for one socket.
namespace unixSocket {

/// A listening, non-blocking socket at `path` that only its owner can connect to; a closed descriptor
/// when it cannot be made (errno is then set).
FileDescriptor listenAt(const std::filesystem::path& path);

/// A connected, non-blocking socket to `path`; a closed descriptor when nothing listens there yet or
/// the path cannot be used (errno is then set).
FileDescriptor connectTo(const std::filesystem::path& path);

/// Writes every byte before `deadline`; false on a failure or when the time ran out.
bool sendAll(int fd, std::string_view bytes, std::chrono::steady_clock::time_point deadline);

/// Reads what is there without waiting, appending it to `into` until that holds more than `maximum`
/// bytes; false once the peer closed or failed.
bool receiveAvailable(int fd, std::string& into, std::size_t maximum);

/// Waits until `fd` is readable or `deadline` passed; false on the time-out.
bool waitReadable(int fd, std::chrono::steady_clock::time_point deadline);

} // namespace unixSocket

} // namespace velto
