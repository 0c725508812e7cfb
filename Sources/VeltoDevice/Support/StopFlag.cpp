#include "VeltoDevice/Support/StopFlag.hpp"

#include <boost/asio/error.hpp>
#include <boost/system/system_error.hpp>

namespace velto {

void StopFlag::throwIfRequested() const {
    if (isRequested())
        throw boost::system::system_error(boost::asio::error::operation_aborted);
}

} // namespace velto
