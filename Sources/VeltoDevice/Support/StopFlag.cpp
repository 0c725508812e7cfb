#include "VeltoDevice/Support/StopFlag.hpp"

#include "VeltoDevice/Support/Exceptions.hpp"

namespace velto {

void StopFlag::throwIfRequested() const {
    if (isRequested())
        throwCancellation();
}

} // namespace velto
