#pragma once

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/types.h>

namespace boost::asio::ssl {
class context;
}

namespace velto {

/// The TLS client context of the whole process: the system's trust store read once, the extra
/// anchor (a PEM file) added when given, TLS 1.2 at least. Reading the store costs tens of
/// milliseconds and most of a megabyte, so every transport, dialer and downloader shares this one.
/// A new context is made only when the store's file has changed (another file, size or time);
/// connections that already hold the previous one keep it until they end. Thread-safe.
class TLSTrust {
public:
    /// Throws boost::system::system_error when the anchor cannot be loaded.
    explicit TLSTrust(std::optional<std::filesystem::path> extraTrustAnchor = std::nullopt);
    ~TLSTrust();

    TLSTrust(const TLSTrust&) = delete;
    TLSTrust& operator=(const TLSTrust&) = delete;

    /// The one trust of the process: the system store and no extra anchor.
    static std::shared_ptr<TLSTrust> standard();

    /// The current context, made at the first call without an anchor (at construction with one);
    /// a new one when the store's file changed since the last was made. When a new one cannot be
    /// made (the anchor went away), the previous one stays. Call it off the GUI thread the first time:
    /// reading the store takes tens of milliseconds.
    std::shared_ptr<boost::asio::ssl::context> context();

    /// How many contexts this trust has made so far.
    std::size_t contextsMade() const;

    /// The file OpenSSL reads the system's store from: SSL_CERT_FILE when set, else its default.
    static std::filesystem::path storeFile();

private:
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        bool operator==(const Stamp& other) const;
    };
    static Stamp stampOf(const std::filesystem::path& file);
    std::shared_ptr<boost::asio::ssl::context> make() const;

    std::optional<std::filesystem::path> extraTrustAnchor_;
    std::filesystem::path store_;
    mutable std::mutex mutex_;
    Stamp stamp_;
    std::shared_ptr<boost::asio::ssl::context> context_;
    std::size_t made_ = 0;
};

} // namespace velto
