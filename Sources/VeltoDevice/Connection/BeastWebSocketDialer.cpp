#include "VeltoDevice/Connection/BeastWebSocketDialer.hpp"

#include "VeltoDevice/Connection/BeastWebSocketChannel.hpp"
#include "VeltoDevice/HTTP/BeastConnecting.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <boost/asio/ssl/context.hpp>

namespace velto {

struct BeastWebSocketDialer::Shared {
    BeastWebSocketChannel::Dependencies dependencies;
    std::shared_ptr<TLSTrust> trust;
};

BeastWebSocketDialer::BeastWebSocketDialer(boost::asio::any_io_executor executor)
    : BeastWebSocketDialer(std::move(executor), Options{}) {}

BeastWebSocketDialer::BeastWebSocketDialer(boost::asio::any_io_executor executor, Options options)
    : shared_(std::make_shared<Shared>()) {
    shared_->trust = beastConnecting::sharedTrust(std::move(options.trust), options.extraTrustAnchor);
    shared_->dependencies.executor = std::move(executor);
    shared_->dependencies.clock = options.clock ? std::move(options.clock) : SystemClock::shared();
    shared_->dependencies.messageLimit = options.messageLimit;
}

BeastWebSocketDialer::~BeastWebSocketDialer() = default;

std::shared_ptr<WebSocketChannel> BeastWebSocketDialer::open(HTTPRequest request) {
    // Each channel holds the context it was opened with for as long as it lives.
    auto dependencies = shared_->dependencies;
    dependencies.tls = shared_->trust->context();
    return std::make_shared<BeastWebSocketChannel>(std::move(dependencies), std::move(request));
}

} // namespace velto
