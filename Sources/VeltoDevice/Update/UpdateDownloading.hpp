#pragma once

#include <boost/asio/awaitable.hpp>
#include <boost/url/url.hpp>

#include <filesystem>

namespace velto {

/// Fetches an update archive.
class UpdateDownloading {
public:
    virtual ~UpdateDownloading() = default;

    /// On return the complete body is at `destination`, which must not exist yet. Throws UpdateRefusal
    /// downloadFailed, or the cancellation (Asio's operation_aborted).
    virtual boost::asio::awaitable<void> download(boost::urls::url url,
                                                  std::filesystem::path destination) = 0;
};

} // namespace velto
