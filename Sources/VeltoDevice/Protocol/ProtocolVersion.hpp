#pragma once

namespace velto {

/// The session protocol's version: the "v" of every frame in both directions.
struct ProtocolVersion {
    ProtocolVersion() = delete;

    static constexpr int current = 1;
};

} // namespace velto
