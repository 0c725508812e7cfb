#include "VeltoDevice/Protocol/FrameEncodingError.hpp"

namespace velto {

FrameEncodingError::FrameEncodingError(Case kind)
    : Error("This app could not write a message for Velto because it holds text that is not valid UTF-8."),
      kind_(kind) {}

FrameEncodingError FrameEncodingError::invalidText() {
    return FrameEncodingError(Case::invalidText);
}

} // namespace velto
