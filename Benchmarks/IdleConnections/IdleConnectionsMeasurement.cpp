// Connects organizations to the Node peer of Tests/EndToEnd on loopback, holds their sessions idle
// with a renewal window longer than the hold, and prints this process's CPU time over the idle
// period and its resident memory, each against its goal. Exits with 1 when a goal is missed.
//
//   IdleConnectionsMeasurement [--organizations N] [--seconds S]   (default 10 and 60)
//
// Needs VELTO_SOURCE_DIR (the source tree) and the peer's packages (npm ci in Tests/EndToEnd).
#include "VeltoDevice/Connection/BeastWebSocketDialer.hpp"
#include "VeltoDevice/Connection/DeviceConnection.hpp"
#include "VeltoDevice/Connection/DeviceIdentity.hpp"
#include "VeltoDevice/Enrollment/ApprovedCode.hpp"
#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentClient.hpp"
#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/Support/Log.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/use_future.hpp>

#include <chrono>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <future>
#include <iomanip>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <vector>

#include "EndToEndPeer.hpp"
#include "FixedSigningKey.hpp"
#include "Measurement.hpp"

namespace {

using namespace std::chrono_literals;
using namespace velto;

constexpr double cpuGoalMsPerOrganizationMinute = 10.0;
constexpr double residentGoalMiB = 20.0;

/// User plus system CPU time of this process so far.
std::chrono::microseconds processCPUTime() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto micros = [](const timeval& value) {
        return std::chrono::seconds(value.tv_sec) + std::chrono::microseconds(value.tv_usec);
    };
    return micros(usage.ru_utime) + micros(usage.ru_stime);
}

/// A field of /proc/self/status in MiB ("VmRSS", "VmHWM"); 0 when it cannot be read.
double statusMiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string name;
    while (status >> name) {
        if (name == field + ":") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
        std::getline(status, name);
    }
    return 0;
}

boost::asio::awaitable<std::string> enrolledDeviceId(VeltoServer server, DPoPHTTPClient http,
                                                     EnrollmentRequest request) {
    EnrollmentClient client{std::move(server), std::move(http)};
    Enrollment enrollment = co_await client.enroll(std::move(request));
    co_return enrollment.deviceId;
}

struct Organization {
    std::unique_ptr<DeviceConnection> connection;
    std::string deviceId;
    bool connected = false;
    /// Every state after the first `connected`: an idle session publishes none.
    std::vector<ConnectionState> later;
};

boost::asio::awaitable<void> follow(Organization& organization) {
    auto& states = organization.connection->states();
    while (auto state = co_await states.next()) {
        if (organization.connected)
            organization.later.push_back(*state);
        else if (state->kind() == ConnectionState::Case::connected)
            organization.connected = true;
    }
}

int measure(int organizations, int seconds) {
    benchmarks::discardLog();
    testing::EndToEndPeer peer;
    // Far longer than the hold: no renewal falls inside it.
    peer.control("POST", "/control/connect/config", {{"renewWithinMs", 24 * 60 * 60 * 1000}});
    nlohmann::json codes = nlohmann::json::array();
    for (int index = 0; index < organizations; ++index) {
        std::string code =
            "AAAA" + std::string(4 - std::to_string(index).size(), '0') + std::to_string(index);
        codes.push_back({{"code", code},
                         {"organization", {{"id", "org-" + code}, {"name", "Organization " + code}}},
                         {"user", {{"login", "device-user"}}}});
    }
    peer.control("POST", "/control/enrollment-codes", {{"codes", codes}});

    boost::asio::io_context context;
    auto server = VeltoServer::fromBaseURL(boost::urls::url(peer.baseURL()));
    auto transport =
        std::make_shared<BeastHTTPTransport>(BeastHTTPTransport::Options{.extraTrustAnchor = peer.caFile()});
    auto dialer = std::make_shared<BeastWebSocketDialer>(
        context.get_executor(), BeastWebSocketDialer::Options{.extraTrustAnchor = peer.caFile()});
    DeviceMessage::Hello hello{"1.0.0", {}, 0, 1};

    std::vector<Organization> all(static_cast<std::size_t>(organizations));
    for (int index = 0; index < organizations; ++index) {
        auto& organization = all[static_cast<std::size_t>(index)];
        DeviceIdentity identity(server, std::make_shared<testing::FixedSigningKey>(), transport);
        std::string code = codes[static_cast<std::size_t>(index)]["code"];
        EnrollmentRequest request(ApprovedCode{server, EnrollmentCode::fromTyped(code)}, "Measurement Mac",
                                  "1.0.0", {});
        organization.deviceId =
            benchmarks::runToEnd(context, enrolledDeviceId(server, identity.http, request));
        organization.connection = std::make_unique<DeviceConnection>(
            context.get_executor(), identity, dialer, Backoff::standard(), SystemClock::shared(),
            SessionHandlers{},
            [hello]() -> boost::asio::awaitable<DeviceMessage::Hello> { co_return hello; });
        boost::asio::co_spawn(context, follow(organization), boost::asio::detached);
        boost::asio::co_spawn(context, organization.connection->start(), boost::asio::detached);
    }

    auto deadline = std::chrono::steady_clock::now() + 30s;
    auto allConnected = [&] {
        for (auto& organization : all)
            if (!organization.connected)
                return false;
        return true;
    };
    while (!allConnected()) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::cerr << "not every organization connected within 30 s\n";
            return 2;
        }
        context.run_for(20ms);
    }

    auto cpuBefore = processCPUTime();
    context.run_for(std::chrono::seconds(seconds));
    auto cpu = processCPUTime() - cpuBefore;
    double residentMiB = statusMiB("VmRSS");
    double peakMiB = statusMiB("VmHWM");

    bool stayedConnected = true;
    for (auto& organization : all) {
        if (!organization.later.empty()) {
            stayedConnected = false;
            std::cerr << organization.deviceId << " did not stay connected: " << organization.later.front()
                      << "\n";
        }
    }

    double cpuMs = static_cast<double>(cpu.count()) / 1000.0;
    double perOrganizationMinute = cpuMs / organizations * (60.0 / seconds);
    bool cpuMet = perOrganizationMinute < cpuGoalMsPerOrganizationMinute;
    bool memoryMet = residentMiB < residentGoalMiB;
    std::cout << std::fixed << std::setprecision(2);
    std::cout << "idle connections: " << organizations << " organizations held idle for " << seconds
              << " s\n";
    std::cout << "idle CPU time: " << cpuMs << " ms, " << perOrganizationMinute
              << " ms per organization per idle minute (goal under " << cpuGoalMsPerOrganizationMinute << ": "
              << (cpuMet ? "met" : "MISSED") << ")\n";
    std::cout << "resident memory: " << residentMiB << " MiB (peak " << peakMiB << " MiB; goal under "
              << residentGoalMiB << ": " << (memoryMet ? "met" : "MISSED") << ")\n";

    for (auto& organization : all)
        organization.connection.reset();
    context.run_for(100ms);
    return cpuMet && memoryMet && stayedConnected ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    int organizations = 10;
    int seconds = 60;
    if (!benchmarks::readPositiveOptions(argc, argv,
                                         {{"--organizations", &organizations}, {"--seconds", &seconds}},
                                         "IdleConnectionsMeasurement [--organizations N] [--seconds S]"))
        return 2;
    try {
        return measure(organizations, seconds);
    } catch (const std::exception& error) {
        std::cerr << "the measurement failed: " << error.what() << "\n";
        return 2;
    }
}
