#include "VeltoDevice/Support/PipeEnd.hpp"

#include <boost/asio/error.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/asio/write.hpp>
#include <boost/system/system_error.hpp>

#include <cerrno>
#include <unistd.h>

namespace velto {

struct PipeEnd::Impl {
    Impl(boost::asio::any_io_executor executor, int descriptor) : stream(std::move(executor), descriptor) {}
    boost::asio::posix::stream_descriptor stream;
};

PipeEnd::PipeEnd(boost::asio::any_io_executor executor, int descriptor)
    : impl_(std::make_unique<Impl>(std::move(executor), descriptor)) {}

PipeEnd::~PipeEnd() {
    close();
}

PipeEnd::PipeEnd(PipeEnd&&) noexcept = default;

PipeEnd& PipeEnd::operator=(PipeEnd&& other) noexcept {
    if (this != &other) {
        close();
        impl_ = std::move(other.impl_);
    }
    return *this;
}

boost::asio::awaitable<std::size_t> PipeEnd::readSome(std::span<std::uint8_t> buffer) {
    if (!isOpen() || buffer.empty())
        co_return 0;
    boost::system::error_code error;
    std::size_t count = co_await impl_->stream.async_read_some(
        boost::asio::buffer(buffer.data(), buffer.size()),
        boost::asio::redirect_error(boost::asio::use_awaitable, error));
    if (error == boost::asio::error::operation_aborted)
        throw boost::system::system_error(error);
    co_return error ? 0 : count;
}

std::optional<std::size_t> PipeEnd::readNow(std::span<std::uint8_t> buffer) {
    if (!isOpen() || buffer.empty())
        return 0;
    for (;;) {
        ssize_t count = ::read(impl_->stream.native_handle(), buffer.data(), buffer.size());
        if (count >= 0)
            return static_cast<std::size_t>(count);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return std::nullopt;
        return 0;
    }
}

boost::asio::awaitable<void> PipeEnd::write(std::string_view bytes) {
    if (!isOpen())
        throw boost::system::system_error(boost::asio::error::bad_descriptor);
    co_await boost::asio::async_write(impl_->stream, boost::asio::buffer(bytes.data(), bytes.size()),
                                      boost::asio::use_awaitable);
}

void PipeEnd::close() {
    if (!impl_ || !impl_->stream.is_open())
        return;
    boost::system::error_code ignored;
    impl_->stream.close(ignored);
}

bool PipeEnd::isOpen() const {
    return impl_ && impl_->stream.is_open();
}

} // namespace velto
