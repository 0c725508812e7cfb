#pragma once

#include "VeltoDevice/Update/StagedUpdate.hpp"

namespace velto {

/// Puts a staged update in the place of the running application.
class UpdateInstalling {
public:
    virtual ~UpdateInstalling() = default;

    /// Synchronous; throws on any failure.
    virtual void install(const StagedUpdate& staged) = 0;
};

} // namespace velto
