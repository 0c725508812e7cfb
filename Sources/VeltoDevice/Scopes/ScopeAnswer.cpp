#include "VeltoDevice/Scopes/ScopeAnswer.hpp"

#include "VeltoDevice/Support/Json.hpp"

namespace velto {

Bytes ScopeAnswer::encoded() const {
    return toBytes(encodeCompact(Json{{"isGranted", isGranted}}));
}

} // namespace velto
