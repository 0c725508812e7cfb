#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <string>
#include <string_view>

namespace velto {

/// The bytes as UTF-8 text, each maximal ill-formed subpart replaced by one U+FFFD (the practice
/// Unicode recommends), so that text from files and tools never fails to decode.
std::string repairedUTF8(std::string_view bytes);
/// The same, taking the text over when it is well-formed already (no copy).
std::string repairedUTF8(std::string&& bytes);

inline std::string repairedUTF8(const Bytes& bytes) {
    return repairedUTF8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

} // namespace velto
