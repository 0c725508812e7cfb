#pragma once

#include "VeltoDevice/Update/StagedUpdate.hpp"
#include "VeltoDevice/Update/VerifiedUpdate.hpp"

#include <boost/asio/awaitable.hpp>

namespace velto {

/// Turns a verified offer into a staged bundle.
class UpdateStaging {
public:
    virtual ~UpdateStaging() = default;

    /// Throws an UpdateRefusal, a file system error, or the cancellation; a failed attempt leaves no
    /// folder behind.
    virtual boost::asio::awaitable<StagedUpdate> stage(VerifiedUpdate update) = 0;
    /// Removes the staged update's folder, without waiting for it (it can hold a whole bundle); never
    /// fails.
    virtual void discard(const StagedUpdate& staged) = 0;
};

} // namespace velto
