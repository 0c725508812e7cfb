#include "VeltoDevice/Protocol/ProtocolError.hpp"

namespace velto {

ProtocolError::ProtocolError(Case kind)
    : Error("Velto sent a message this app could not read."), kind_(kind) {}

ProtocolError ProtocolError::malformedMessage() {
    return ProtocolError(Case::malformedMessage);
}

} // namespace velto
