#pragma once

#include "VeltoDesktop/Model/BoundedImageDecoder.hpp"
#include "VeltoDesktop/Model/OwnedTasks.hpp"
#include "VeltoDevice/HTTP/HTTPTransport.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <QImage>
#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace velto {

/// Pictures from web addresses (users' avatars, organizations' pictures), fetched through the
/// library's HTTP transport and kept in memory, keyed by the address as given. Only https is
/// fetched, and plain http to this machine; any other scheme (file, data, image, qrc…) never is.
/// A fetch follows at most `maximumRedirects` redirects of the same kinds, takes at most
/// `maximumBody` bytes within `timeout`, and needs a success status; the picture is decoded off the
/// main thread under an allocation limit and scaled to at most `maximumSide` pixels. A failure
/// (refused, unreachable, an error page, a body that is no picture) keeps nothing, so the next
/// request tries again. At most `capacity` pictures stay, the least recently used going first;
/// overlapping loads of one address share one fetch. Main thread, except `imageForId`.
class RemoteImageCache final : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t maximumBody = BoundedImageDecoder::maximumBytes;
    static constexpr std::chrono::seconds timeout{15};
    static constexpr int maximumRedirects = 5;
    static constexpr int maximumSide = BoundedImageDecoder::maximumSide;
    static constexpr std::size_t capacity = 64;
    /// The longest address looked at.
    static constexpr std::size_t maximumAddressLength = 4096;

    /// `device` runs the transport, `decoding` the picture decoder, `main` this object.
    RemoteImageCache(boost::asio::any_io_executor main, boost::asio::any_io_executor device,
                     boost::asio::any_io_executor decoding, std::shared_ptr<HTTPTransport> transport);

    /// Whether an address may be fetched at all.
    static bool mayFetch(std::string_view address);

    /// The picture kept for the address, now the most recently used.
    std::optional<QImage> image(const std::string& address);
    /// The opaque id under which the provider serves the address's picture, with its revision.
    struct Entry {
        std::uint64_t id = 0;
        std::uint64_t revision = 0;
    };
    std::optional<Entry> entry(const std::string& address);
    /// Starts fetching the address unless its picture is kept, a fetch of it runs, or it may not be
    /// fetched. `loaded` follows when a picture was kept.
    void load(const std::string& address);
    /// The number of fetches started (for tests and measurements).
    std::size_t fetchesStarted() const { return fetchesStarted_; }

    /// Safe on any thread (the image provider's).
    std::optional<QImage> imageForId(std::uint64_t id) const;

    /// Decodes a body as `load` does: nothing when it is no picture or too large to decode.
    static std::optional<QImage> decode(const std::string& body);

Q_SIGNALS:
    void loaded(const QString& address);

private:
    struct Kept {
        QImage image;
        std::uint64_t id = 0;
        std::uint64_t revision = 0;
        std::list<std::string>::iterator use;
    };

    boost::asio::awaitable<void> fetch(std::string address);
    /// Holds what it uses: the cache may go while it runs.
    static boost::asio::awaitable<std::optional<QImage>> download(std::string address,
                                                                  std::shared_ptr<HTTPTransport> transport,
                                                                  boost::asio::any_io_executor device,
                                                                  boost::asio::any_io_executor decoding);
    void keep(const std::string& address, QImage image);

    boost::asio::any_io_executor main_;
    boost::asio::any_io_executor device_;
    boost::asio::any_io_executor decoding_;
    std::shared_ptr<HTTPTransport> transport_;
    mutable std::mutex mutex_;
    std::map<std::string, Kept> kept_;
    std::map<std::uint64_t, std::string> addressesById_;
    std::list<std::string> uses_;
    std::set<std::string> inFlight_;
    std::uint64_t nextId_ = 1;
    std::uint64_t nextRevision_ = 1;
    std::size_t fetchesStarted_ = 0;
    /// Last: the fetches still running are cancelled first.
    OwnedTasks tasks_;
};

} // namespace velto
