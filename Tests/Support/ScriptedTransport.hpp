#pragma once

#include "VeltoDevice/HTTP/HTTPReply.hpp"
#include "VeltoDevice/HTTP/HTTPRequest.hpp"
#include "VeltoDevice/HTTP/HTTPTransport.hpp"
#include "VeltoDevice/Server/ServerError.hpp"

#include <boost/asio/awaitable.hpp>

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace velto::testing {

/// An HTTP transport that records every request and answers each from a queue, in order: a reply,
/// a ServerError to throw, an answer computed from the request, or no answer at all until the
/// request is cancelled. Every send yields to the loop once before it answers, as a real transport
/// would, so requests running at the same time interleave. A send with nothing scripted throws
/// std::logic_error naming the request. Use from the test loop's thread.
///
/// The helpers that make replies are inline, so that this library needs none of the HTTP code.
class ScriptedTransport final : public HTTPTransport {
public:
    using Headers = std::vector<std::pair<std::string, std::string>>;
    using Responder = std::function<HTTPReply(const HTTPRequest&)>;

    /// Answers with `reply`.
    ScriptedTransport& answer(HTTPReply reply) {
        script_.emplace_back(std::move(reply));
        return *this;
    }
    ScriptedTransport& answer(int status, Headers headers = {}, std::string_view body = {}) {
        return answer(HTTPReply(status, headers, toBytes(body)));
    }
    /// Throws `error` as the transport's failure.
    ScriptedTransport& fail(ServerError error) {
        script_.emplace_back(std::move(error));
        return *this;
    }
    /// Answers with what `responder` makes of the request; it may throw.
    ScriptedTransport& respond(Responder responder) {
        script_.emplace_back(std::move(responder));
        return *this;
    }
    /// Never answers: the send waits until it is cancelled and then ends with operation_aborted.
    ScriptedTransport& hang() {
        script_.emplace_back(Hang{});
        return *this;
    }

    boost::asio::awaitable<HTTPReply> send(HTTPRequest request) override;

    /// Every request sent, in the order sent (recorded before the answer).
    const std::vector<HTTPRequest>& requests() const { return requests_; }
    /// Scripted answers not yet used.
    std::size_t pending() const { return script_.size(); }
    /// Sends that have started and not yet ended (hanging ones included).
    std::size_t inFlight() const { return inFlight_; }

private:
    struct Hang {};
    using Step = std::variant<HTTPReply, ServerError, Responder, Hang>;

    std::deque<Step> script_;
    std::vector<HTTPRequest> requests_;
    std::size_t inFlight_ = 0;
};

} // namespace velto::testing
