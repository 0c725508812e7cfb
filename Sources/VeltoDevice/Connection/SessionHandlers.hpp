#pragma once

#include "VeltoDevice/Connection/JobRunning.hpp"
#include "VeltoDevice/Connection/UpdateOfferReceiving.hpp"

#include <memory>

namespace velto {

/// The job runner and the update receiver handed unchanged to every session of every connection;
/// built once by the application. Either may be absent: offers are then declined "not-supported",
/// update offers dropped.
struct SessionHandlers {
    std::shared_ptr<JobRunning> runner;
    std::shared_ptr<UpdateOfferReceiving> updates;
};

} // namespace velto
