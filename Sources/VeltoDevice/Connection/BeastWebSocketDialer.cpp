#include "VeltoDevice/Connection/BeastWebSocketDialer.hpp"

#include "VeltoDevice/Connection/BeastWebSocketChannel.hpp"
#include "VeltoDevice/HTTP/BeastConnecting.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <boost/asio/ssl/context.hpp>

namespace velto {

struct BeastWebSocketDialer::Shared {
    BeastWebSocketChannel::Settings settings;
    std::shared_ptr<TLSTrust> trust;
};

BeastWebSocketDialer::BeastWebSocketDialer(boost::asio::any_io_executor executor)
    : BeastWebSocketDialer(std::move(executor), Options{}) {}

BeastWebSocketDialer::BeastWebSocketDialer(boost::asio::any_io_executor executor, Options options)
    : shared_(std::make_shared<Shared>()) {
    shared_->trust = beastConnecting::sharedTrust(std::move(options.trust), options.extraTrustAnchor);
    shared_->settings.executor = std::move(executor);
    shared_->settings.clock = options.clock ? std::move(options.clock) : SystemClock::shared();
    shared_->settings.messageLimit = options.messageLimit;
}

BeastWebSocketDialer::~BeastWebSocketDialer() = default;

std::shared_ptr<WebSocketChannel> BeastWebSocketDialer::open(HTTPRequest request) {
    // Each channel holds the context it was opened with for as long as it lives.
    auto settings = shared_->settings;
    settings.tls = shared_->trust->context();
    return std::make_shared<BeastWebSocketChannel>(std::move(settings), std::move(request));
}

} // namespace velto
