#pragma once

#include "VeltoDevice/HTTP/TLSTrust.hpp"
#include "VeltoDevice/Support/Clock.hpp"
#include "VeltoDevice/Update/UpdateDownloading.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace velto {

/// Downloads over https on Boost.Beast, trusting servers as the HTTP transport does. Sends no
/// cookies, credentials or cache headers; follows 301, 302, 303, 307 and 308 only to https addresses,
/// at most `maximumRedirects` times; takes only a 200. The body is streamed into a file beside the
/// destination and renamed into place once complete. Any failure, `idleTimeout` without a byte, or
/// a body over `sizeLimit` is UpdateRefusal downloadFailed, with the partial file removed.
class BeastUpdateDownloader final : public UpdateDownloading {
public:
    struct Options {
        /// A PEM file of certificate authorities trusted besides the system store.
        std::optional<std::filesystem::path> extraTrustAnchor = {};
        /// The shared trust to verify against; when empty, one of its own over `extraTrustAnchor`
        /// (or the process's standard one when there is no anchor).
        std::shared_ptr<TLSTrust> trust = {};
        /// Where the body's chunks are written to the file (the blocking pool), so that a slow disk
        /// does not hold up the thread the download runs on; on that thread when empty.
        boost::asio::any_io_executor writer = {};
        /// Times the idle time-out; the system clock when empty.
        std::shared_ptr<Clock> clock = {};
        Clock::Duration idleTimeout = std::chrono::seconds(60);
        std::uint64_t sizeLimit = std::uint64_t{1024} * 1024 * 1024;
        int maximumRedirects = 10;
    };

    BeastUpdateDownloader();
    /// Throws boost::system::system_error when the trust anchor cannot be loaded.
    explicit BeastUpdateDownloader(Options options);
    ~BeastUpdateDownloader() override;

    BeastUpdateDownloader(const BeastUpdateDownloader&) = delete;
    BeastUpdateDownloader& operator=(const BeastUpdateDownloader&) = delete;

    boost::asio::awaitable<void> download(boost::urls::url url, std::filesystem::path destination) override;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace velto
