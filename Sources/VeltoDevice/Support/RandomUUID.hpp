#pragma once

#include <string>

namespace velto {

/// A new random (version 4) UUID in its 36-character upper-case text form, as proof ids and job
/// files are named. Safe to call from any thread; throws std::runtime_error when OpenSSL has no
/// randomness to give.
std::string randomUUID();

} // namespace velto
