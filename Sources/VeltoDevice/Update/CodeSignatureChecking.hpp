#pragma once

#include <boost/asio/awaitable.hpp>

#include <filesystem>

namespace velto {

/// Checks the code signature of an unpacked application bundle.
class CodeSignatureChecking {
public:
    virtual ~CodeSignatureChecking() = default;

    /// Throws UpdateRefusal invalidCodeSignature, or the cancellation.
    virtual boost::asio::awaitable<void> verify(std::filesystem::path bundle) = 0;
};

} // namespace velto
