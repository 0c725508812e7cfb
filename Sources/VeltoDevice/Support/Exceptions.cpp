#include "VeltoDevice/Support/Exceptions.hpp"

#include <boost/asio/error.hpp>
#include <boost/system/system_error.hpp>

namespace velto {

bool isCancellation(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const boost::system::system_error& failure) {
        return failure.code() == boost::asio::error::operation_aborted;
    } catch (...) {
        return false;
    }
}

void throwCancellation() {
    throw boost::system::system_error(boost::asio::error::operation_aborted);
}

std::string describe(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& failure) {
        return failure.what();
    } catch (...) {
        return "an unknown error";
    }
}

} // namespace velto
