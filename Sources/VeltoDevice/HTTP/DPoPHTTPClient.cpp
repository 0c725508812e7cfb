#include "VeltoDevice/HTTP/DPoPHTTPClient.hpp"

#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Json.hpp"
#include "VeltoDevice/Support/UTF8.hpp"

namespace velto {

namespace {

constexpr std::chrono::seconds requestTimeout{60};

} // namespace

std::optional<std::string> DPoPHTTPClient::replyNonce(const HTTPReply& reply) {
    auto nonce = reply.header("dpop-nonce");
    // Header bytes are the server's to choose; the proof that would carry them is JSON, whose text is
    // UTF-8, so other bytes would fail every later proof instead of this one reply.
    if (!nonce || nonce->empty() || !utf8::isValid(*nonce))
        return std::nullopt;
    return nonce;
}

std::optional<std::string> DPoPHTTPClient::issuedNonce(const HTTPReply& reply) {
    if (auto nonce = replyNonce(reply))
        return nonce;
    // An empty nonce in the body is as good as none.
    if (auto value = parseJson(reply.body)) {
        auto nonce = json::string(*value, "nonce");
        if (nonce && !nonce->empty())
            return nonce;
    }
    return std::nullopt;
}

DPoPHTTPClient::DPoPHTTPClient(VeltoServer server, DPoPProofSigner signer,
                               std::shared_ptr<HTTPTransport> transport, std::shared_ptr<NonceCache> nonces)
    : server_(std::move(server)), signer_(std::move(signer)), transport_(std::move(transport)),
      nonces_(std::move(nonces)) {}

boost::asio::awaitable<HTTPReply> DPoPHTTPClient::get(boost::urls::url_view url) const {
    return signedRequest(*this, "GET", boost::urls::url(url), std::nullopt);
}

boost::asio::awaitable<HTTPReply> DPoPHTTPClient::post(boost::urls::url_view url, Bytes json) const {
    return signedRequest(*this, "POST", boost::urls::url(url), std::move(json));
}

boost::asio::awaitable<HTTPReply> DPoPHTTPClient::put(boost::urls::url_view url, Bytes json) const {
    return signedRequest(*this, "PUT", boost::urls::url(url), std::move(json));
}

boost::asio::awaitable<std::string> DPoPHTTPClient::freshNonce() const {
    return fetchNonce(*this);
}

boost::asio::awaitable<std::string> DPoPHTTPClient::nextNonce() const {
    return takeOrFetchNonce(*this);
}

boost::asio::awaitable<HTTPReply> DPoPHTTPClient::signedRequest(DPoPHTTPClient client, std::string method,
                                                                boost::urls::url url,
                                                                std::optional<Bytes> body) {
    auto build = [&](const std::string& nonce) {
        HTTPRequest request;
        request.method = method;
        request.url = url;
        request.timeout = requestTimeout;
        if (body) {
            request.body = *body;
            request.setHeader("Content-Type", "application/json");
        }
        request.setHeader("DPoP", client.signer_.proof(method, url, nonce));
        return request;
    };
    auto keepNonce = [&](const HTTPReply& reply) {
        if (auto nonce = replyNonce(reply))
            client.nonces_->store(std::move(*nonce));
    };

    std::optional<std::string> nonce = client.nonces_->take();
    if (!nonce)
        nonce = co_await fetchNonce(client);

    HTTPReply reply = co_await client.transport_->send(build(*nonce));
    keepNonce(reply);
    if (!reply.isNonceChallenge())
        co_return reply;

    // The server asked for its nonce: one retry, and only with a nonce to answer it.
    std::optional<std::string> retryNonce = client.nonces_->take();
    if (!retryNonce)
        co_return reply;
    HTTPReply retried = co_await client.transport_->send(build(*retryNonce));
    keepNonce(retried);
    co_return retried;
}

boost::asio::awaitable<std::string> DPoPHTTPClient::fetchNonce(DPoPHTTPClient client) {
    HTTPRequest request;
    request.method = "POST";
    request.url = client.server_.nonceURL();
    request.timeout = requestTimeout;

    HTTPReply reply = co_await client.transport_->send(std::move(request));
    if (!reply.isSuccess())
        throw ServerError::unexpectedStatus(reply.status);
    std::optional<std::string> nonce = issuedNonce(reply);
    if (!nonce)
        throw ServerError::missingNonce();
    co_return *nonce;
}

boost::asio::awaitable<std::string> DPoPHTTPClient::takeOrFetchNonce(DPoPHTTPClient client) {
    if (auto nonce = client.nonces_->take())
        co_return *nonce;
    co_return co_await fetchNonce(std::move(client));
}

} // namespace velto
