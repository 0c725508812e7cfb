#include "EndToEndPeer.hpp"

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>

#include <cstdlib>
#include <stdexcept>

namespace velto::testing {

namespace http = boost::beast::http;
using tcp = boost::asio::ip::tcp;

std::filesystem::path EndToEndPeer::directory() {
    const char* source = std::getenv("VELTO_SOURCE_DIR");
    if (source == nullptr || *source == '\0')
        throw std::runtime_error("VELTO_SOURCE_DIR is not set; run the test through ctest");
    return std::filesystem::path(source) / "Tests" / "EndToEnd";
}

EndToEndPeer::EndToEndPeer() : EndToEndPeer(Options{}) {}

EndToEndPeer::EndToEndPeer(Options options) {
    auto peerDirectory = directory();
    if (!std::filesystem::exists(peerDirectory / "node_modules" / "jose"))
        throw std::runtime_error("the end-to-end peer's packages are missing: run npm ci in " +
                                 peerDirectory.string());

    auto script = (peerDirectory / "make-test-authority.sh").string();
    if (ChildProcess::run("bash", {script, folder_.path().string(), options.subjectAltNames}) != 0)
        throw std::runtime_error("could not make the test authority with " + script);

    process_ = std::make_unique<ChildProcess>(
        "node", std::vector<std::string>{(peerDirectory / "server.mjs").string(), "--cert",
                                         (folder_.path() / "server.pem").string(), "--key",
                                         (folder_.path() / "server.key").string()});
    // A guard against a peer that never starts, not a wait the test depends on.
    auto line = process_->readLine(std::chrono::seconds(20));
    if (!line)
        throw std::runtime_error("the end-to-end peer did not start (no port line)");
    auto ports = nlohmann::json::parse(*line, nullptr, false);
    if (!ports.is_object() || !ports.contains("port") || !ports.contains("controlPort"))
        throw std::runtime_error("the end-to-end peer printed no ports: " + *line);
    port_ = ports["port"].get<std::uint16_t>();
    controlPort_ = ports["controlPort"].get<std::uint16_t>();
}

EndToEndPeer::~EndToEndPeer() {
    if (process_)
        process_->terminate();
}

std::string EndToEndPeer::baseURL(std::string_view host) const {
    return "https://" + std::string(host) + ":" + std::to_string(port_) + "/";
}

nlohmann::json EndToEndPeer::control(const std::string& method, const std::string& path,
                                     const nlohmann::json& body) const {
    boost::asio::io_context context;
    tcp::socket socket(context);
    socket.connect(tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), controlPort_));

    http::request<http::string_body> request(http::string_to_verb(method), path, 11);
    request.set(http::field::host, "127.0.0.1:" + std::to_string(controlPort_));
    if (!body.is_null()) {
        request.set(http::field::content_type, "application/json");
        request.body() = body.dump();
    }
    request.keep_alive(false);
    request.prepare_payload();
    http::write(socket, request);

    boost::beast::flat_buffer buffer;
    http::response<http::string_body> response;
    http::read(socket, buffer, response);
    if (response.result_int() < 200 || response.result_int() > 299)
        throw std::runtime_error("the peer's control " + method + " " + path + " answered " +
                                 std::to_string(response.result_int()) + ": " + response.body());
    return nlohmann::json::parse(response.body());
}

void EndToEndPeer::scriptChallenges(const std::vector<std::string>& challenges) const {
    control("POST", "/control/challenges", {{"challenges", challenges}});
}

void EndToEndPeer::configure(const nlohmann::json& settings) const {
    control("POST", "/control/config", settings);
}

} // namespace velto::testing
