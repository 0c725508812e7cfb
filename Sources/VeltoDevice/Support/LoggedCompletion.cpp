#include "VeltoDevice/Support/LoggedCompletion.hpp"

#include "VeltoDevice/Support/Exceptions.hpp"

namespace velto {

void LoggedCompletion::operator()(const std::exception_ptr& error) const {
    if (!error || isCancellation(error))
        return;
    log_.error(operation_ + " ended with an error: " + describe(error));
}

} // namespace velto
