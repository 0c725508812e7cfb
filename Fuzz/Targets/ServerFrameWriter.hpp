#pragma once

#include "VeltoDevice/Protocol/ServerMessage.hpp"

#include <string>

namespace velto::fuzz {

/// Writes a typed server frame back as the server would send it, so that decoding it again can be
/// checked to give the same frame. Unknown frames are written with "v" 2, which keeps them unknown
/// whatever their type.
struct ServerFrameWriter {
    ServerFrameWriter() = delete;

    static std::string frame(const ServerMessage& message);
};

} // namespace velto::fuzz
