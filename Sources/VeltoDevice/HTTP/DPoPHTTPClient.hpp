#pragma once

#include "VeltoDevice/DPoP/DPoPProofSigner.hpp"
#include "VeltoDevice/HTTP/HTTPReply.hpp"
#include "VeltoDevice/HTTP/HTTPTransport.hpp"
#include "VeltoDevice/HTTP/NonceCache.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"
#include "VeltoDevice/Support/Bytes.hpp"

#include <boost/asio/awaitable.hpp>
#include <boost/url/url_view.hpp>

#include <memory>
#include <optional>
#include <string>

namespace velto {

/// The one signed path to the server's HTTP endpoints. Copies share the nonce cache.
/// Signed requests return the reply whatever its status; they throw only what the nonce request,
/// the signer (DPoPError) or the transport (ServerError) throws.
class DPoPHTTPClient {
public:
    DPoPHTTPClient(VeltoServer server, DPoPProofSigner signer, std::shared_ptr<HTTPTransport> transport,
                   std::shared_ptr<NonceCache> nonces);

    boost::asio::awaitable<HTTPReply> get(boost::urls::url_view url) const;
    boost::asio::awaitable<HTTPReply> post(boost::urls::url_view url, Bytes json) const;
    boost::asio::awaitable<HTTPReply> put(boost::urls::url_view url, Bytes json) const;

    /// The unsigned nonce request; the nonce is returned, not cached.
    boost::asio::awaitable<std::string> freshNonce() const;
    /// The cached nonce (taken), else a fresh one.
    boost::asio::awaitable<std::string> nextNonce() const;

    /// The reply's "DPoP-Nonce" when a proof can carry it: not empty, and UTF-8. Anything else counts as
    /// no nonce: it is neither kept nor answered.
    static std::optional<std::string> replyNonce(const HTTPReply& reply);
    /// The nonce a nonce reply issues: `replyNonce`, else the body's {"nonce": text} when not empty.
    static std::optional<std::string> issuedNonce(const HTTPReply& reply);

    const VeltoServer& server() const { return server_; }
    const DPoPProofSigner& signer() const { return signer_; }
    const std::shared_ptr<HTTPTransport>& transport() const { return transport_; }
    const std::shared_ptr<NonceCache>& nonces() const { return nonces_; }

private:
    // The operations run on a copy of the client and of their arguments, so that a request in flight
    // never refers to a client or a URL that its caller has since dropped.
    static boost::asio::awaitable<HTTPReply> signedRequest(DPoPHTTPClient client, std::string method,
                                                           boost::urls::url url, std::optional<Bytes> body);
    static boost::asio::awaitable<std::string> fetchNonce(DPoPHTTPClient client);
    static boost::asio::awaitable<std::string> takeOrFetchNonce(DPoPHTTPClient client);

    VeltoServer server_;
    DPoPProofSigner signer_;
    std::shared_ptr<HTTPTransport> transport_;
    std::shared_ptr<NonceCache> nonces_;
};

} // namespace velto
