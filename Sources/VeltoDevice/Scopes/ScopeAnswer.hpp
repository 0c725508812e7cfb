#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

namespace velto {

/// The body of an answer to one scope.
struct ScopeAnswer {
    bool isGranted = false;

    /// {"isGranted":true} or {"isGranted":false}.
    Bytes encoded() const;
};

} // namespace velto
