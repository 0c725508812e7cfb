#include "VeltoDevice/HTTP/TLSTrust.hpp"

#include <boost/asio/ssl/context.hpp>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdlib>
#include <exception>
#include <sys/stat.h>

namespace velto {

namespace ssl = boost::asio::ssl;

bool TLSTrust::Stamp::operator==(const Stamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

TLSTrust::TLSTrust(std::optional<std::filesystem::path> extraTrustAnchor)
    : extraTrustAnchor_(std::move(extraTrustAnchor)), store_(storeFile()) {
    // An anchor that cannot be read is the caller's mistake: say so now, not at the first connection.
    if (extraTrustAnchor_) {
        stamp_ = stampOf(store_);
        context_ = make();
        made_ = 1;
    }
}

TLSTrust::~TLSTrust() = default;

std::shared_ptr<TLSTrust> TLSTrust::standard() {
    static const auto trust = std::make_shared<TLSTrust>();
    return trust;
}

std::shared_ptr<ssl::context> TLSTrust::context() {
    // A stat per connection is the whole cost of noticing a changed store.
    auto stamp = stampOf(store_);
    std::lock_guard lock(mutex_);
    if (context_ && stamp == stamp_)
        return context_;
    try {
        context_ = make();
        ++made_;
    } catch (const std::exception&) {
        // The anchor cannot be read now: the previous context still trusts what it trusted.
        if (!context_)
            throw;
    }
    stamp_ = stamp;
    return context_;
}

std::size_t TLSTrust::contextsMade() const {
    std::lock_guard lock(mutex_);
    return made_;
}

std::filesystem::path TLSTrust::storeFile() {
    if (const char* file = std::getenv(X509_get_default_cert_file_env()); file && *file)
        return file;
    return X509_get_default_cert_file();
}

TLSTrust::Stamp TLSTrust::stampOf(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0)
        return {};
    return {true, status.st_dev, status.st_ino, status.st_size, status.st_mtim};
}

std::shared_ptr<ssl::context> TLSTrust::make() const {
    auto tls = std::make_shared<ssl::context>(ssl::context::tls_client);
    tls->set_default_verify_paths();
    if (extraTrustAnchor_)
        tls->load_verify_file(extraTrustAnchor_->string());
    SSL_CTX_set_min_proto_version(tls->native_handle(), TLS1_2_VERSION);
    return tls;
}

} // namespace velto
