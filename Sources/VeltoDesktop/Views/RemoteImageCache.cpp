#include "VeltoDesktop/Views/RemoteImageCache.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/BoundedImageDecoder.hpp"
#include "VeltoDevice/HTTP/ConnectionTarget.hpp"
#include "VeltoDevice/Support/RedirectPolicy.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <boost/url/parse.hpp>
#include <boost/url/url.hpp>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPointer>
#include <exception>

namespace velto {

namespace {

std::optional<boost::urls::url> fetchable(std::string_view address) {
    if (address.empty() || address.size() > RemoteImageCache::maximumAddressLength)
        return std::nullopt;
    auto parsed = boost::urls::parse_absolute_uri(address);
    if (!parsed)
        return std::nullopt;
    boost::urls::url url(*parsed);
    if (url.has_userinfo())
        return std::nullopt;
    auto target = ConnectionTarget::parse(url, "https", "http");
    if (!std::holds_alternative<ConnectionTarget>(target))
        return std::nullopt;
    return url;
}

} // namespace

RemoteImageCache::RemoteImageCache(boost::asio::any_io_executor main, boost::asio::any_io_executor device,
                                   boost::asio::any_io_executor decoding,
                                   std::shared_ptr<HTTPTransport> transport)
    : main_(std::move(main)), device_(std::move(device)), decoding_(std::move(decoding)),
      transport_(std::move(transport)), tasks_(*this, main_, appLog()) {}

bool RemoteImageCache::mayFetch(std::string_view address) {
    return fetchable(address).has_value();
}

std::optional<QImage> RemoteImageCache::image(const std::string& address) {
    std::lock_guard lock(mutex_);
    auto found = kept_.find(address);
    if (found == kept_.end())
        return std::nullopt;
    uses_.splice(uses_.begin(), uses_, found->second.use);
    return found->second.image;
}

std::optional<RemoteImageCache::Entry> RemoteImageCache::entry(const std::string& address) {
    std::lock_guard lock(mutex_);
    auto found = kept_.find(address);
    if (found == kept_.end())
        return std::nullopt;
    uses_.splice(uses_.begin(), uses_, found->second.use);
    return Entry{found->second.id, found->second.revision};
}

std::optional<QImage> RemoteImageCache::imageForId(std::uint64_t id) const {
    std::lock_guard lock(mutex_);
    auto address = addressesById_.find(id);
    if (address == addressesById_.end())
        return std::nullopt;
    auto found = kept_.find(address->second);
    if (found == kept_.end())
        return std::nullopt;
    return found->second.image;
}

void RemoteImageCache::load(const std::string& address) {
    {
        std::lock_guard lock(mutex_);
        if (kept_.count(address))
            return;
    }
    if (inFlight_.count(address) || !mayFetch(address))
        return;
    inFlight_.insert(address);
    ++fetchesStarted_;
    tasks_.spawn("fetch a picture", fetch(address));
}

boost::asio::awaitable<void> RemoteImageCache::fetch(std::string address) {
    QPointer<RemoteImageCache> self(this);
    std::optional<QImage> picture;
    try {
        auto downloading = download(address, transport_, device_, decoding_);
        picture = co_await std::move(downloading);
    } catch (...) {
        // Unreachable, cut short, refused: the placeholder stays.
    }
    if (!self)
        co_return;
    inFlight_.erase(address);
    if (!picture)
        co_return;
    keep(address, std::move(*picture));
    Q_EMIT loaded(QString::fromStdString(address));
}

boost::asio::awaitable<std::optional<QImage>>
RemoteImageCache::download(std::string address, std::shared_ptr<HTTPTransport> transport,
                           boost::asio::any_io_executor device, boost::asio::any_io_executor decoding) {
    RedirectPolicy redirects(maximumRedirects, maximumAddressLength);
    auto url = fetchable(address);
    while (url) {
        HTTPRequest request;
        request.url = *url;
        request.timeout = timeout;
        request.setHeader("Accept", "image/*");
        auto sending = transport->send(std::move(request));
        auto reply = co_await runOn(device, std::move(sending));
        if (RedirectPolicy::isRedirect(reply.status)) {
            auto location = reply.header("location");
            auto next =
                redirects.follow(*url, location ? std::optional<std::string_view>(*location) : std::nullopt);
            if (!next)
                co_return std::nullopt;
            url = fetchable(next->buffer());
            continue;
        }
        if (!reply.isSuccess() || reply.body.empty() || reply.body.size() > maximumBody)
            co_return std::nullopt;
        std::string body(reply.body.begin(), reply.body.end());
        auto decoded = [](std::string bytes) -> boost::asio::awaitable<std::optional<QImage>> {
            co_return decode(bytes);
        }(std::move(body));
        co_return co_await runOn(decoding, std::move(decoded));
    }
    co_return std::nullopt;
}

std::optional<QImage> RemoteImageCache::decode(const std::string& body) {
    return BoundedImageDecoder::decode(std::string_view(body));
}

void RemoteImageCache::keep(const std::string& address, QImage image) {
    std::lock_guard lock(mutex_);
    auto found = kept_.find(address);
    if (found != kept_.end()) {
        found->second.image = std::move(image);
        found->second.revision = nextRevision_++;
        uses_.splice(uses_.begin(), uses_, found->second.use);
        return;
    }
    uses_.push_front(address);
    const auto id = nextId_++;
    kept_.emplace(address, Kept{std::move(image), id, nextRevision_++, uses_.begin()});
    addressesById_.emplace(id, address);
    while (kept_.size() > capacity) {
        const auto& oldest = uses_.back();
        auto gone = kept_.find(oldest);
        addressesById_.erase(gone->second.id);
        kept_.erase(gone);
        uses_.pop_back();
    }
}

} // namespace velto
