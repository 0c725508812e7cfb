#include "VeltoDevice/Connection/BeastWebSocketDialer.hpp"

#include "VeltoDevice/Connection/BeastWebSocketChannel.hpp"
#include "VeltoDevice/HTTP/BeastConnecting.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <boost/asio/ssl/context.hpp>

namespace velto {

struct BeastWebSocketDialer::Shared {
    BeastWebSocketChannel::Settings settings;
};

BeastWebSocketDialer::BeastWebSocketDialer(boost::asio::any_io_executor executor)
    : BeastWebSocketDialer(std::move(executor), Options{}) {}

BeastWebSocketDialer::BeastWebSocketDialer(boost::asio::any_io_executor executor, Options options)
    : shared_(std::make_shared<Shared>()) {
    auto tls = std::make_shared<boost::asio::ssl::context>(boost::asio::ssl::context::tls_client);
    beastConnecting::trust(*tls, options.extraTrustAnchor);

    shared_->settings.executor = std::move(executor);
    shared_->settings.tls = std::move(tls);
    shared_->settings.clock = options.clock ? std::move(options.clock) : SystemClock::shared();
    shared_->settings.messageLimit = options.messageLimit;
}

BeastWebSocketDialer::~BeastWebSocketDialer() = default;

std::shared_ptr<WebSocketChannel> BeastWebSocketDialer::open(HTTPRequest request) {
    return std::make_shared<BeastWebSocketChannel>(shared_->settings, std::move(request));
}

} // namespace velto
