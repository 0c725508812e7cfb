#pragma once

#include "VeltoDevice/HTTP/HTTPReply.hpp"
#include "VeltoDevice/HTTP/HTTPRequest.hpp"
#include "VeltoDevice/HTTP/HTTPTransport.hpp"
#include "VeltoDevice/Server/ServerError.hpp"

#include <boost/asio/post.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace velto::testing {

/// An HTTP transport that answers by method and path: each route answers from its own queue of
/// replies (the last one repeats), nonce requests get a fresh "DPoP-Nonce" unless routed, and any
/// other request is a ServerError::unreachable. Every send is recorded and yields to the loop once.
/// Shared by every identity of a test; used on the device loop.
class RoutedTransport final : public HTTPTransport {
public:
    using Answer = std::function<HTTPReply(const HTTPRequest&)>;

    /// Answers "METHOD /path" with the answers in order, the last again and again.
    void route(const std::string& method, const std::string& path, std::vector<Answer> answers) {
        routes_[method + " " + path] = std::deque<Answer>(answers.begin(), answers.end());
    }
    void route(const std::string& method, const std::string& path, Answer answer) {
        route(method, path, std::vector<Answer>{std::move(answer)});
    }

    static Answer reply(int status, std::string body = {},
                        std::vector<std::pair<std::string, std::string>> headers = {}) {
        return [status, body = std::move(body), headers = std::move(headers)](const HTTPRequest&) {
            return HTTPReply(status, headers, Bytes(body.begin(), body.end()));
        };
    }
    static Answer unreachable() {
        return [](const HTTPRequest&) -> HTTPReply {
            throw ServerError::unreachable("the test server is down");
        };
    }

    boost::asio::awaitable<HTTPReply> send(HTTPRequest request) override {
        requests_.push_back(request);
        co_await boost::asio::post(co_await boost::asio::this_coro::executor, boost::asio::use_awaitable);
        const std::string key = request.method + " " + std::string(request.url.path());
        auto found = routes_.find(key);
        if (found == routes_.end()) {
            if (request.url.path() == "/api/devices/nonce")
                co_return HTTPReply(200, {{"DPoP-Nonce", "nonce-" + std::to_string(++nonces_)}}, {});
            throw ServerError::unreachable("no route in the test");
        }
        auto answer = found->second.front();
        if (found->second.size() > 1)
            found->second.pop_front();
        co_return answer(request);
    }

    const std::vector<HTTPRequest>& requests() const { return requests_; }
    /// The paths of the requests of one method, in order.
    std::vector<std::string> paths(const std::string& method) const {
        std::vector<std::string> out;
        for (const auto& request : requests_) {
            if (request.method == method)
                out.emplace_back(request.url.path());
        }
        return out;
    }

private:
    std::map<std::string, std::deque<Answer>> routes_;
    std::vector<HTTPRequest> requests_;
    int nonces_ = 0;
};

} // namespace velto::testing
