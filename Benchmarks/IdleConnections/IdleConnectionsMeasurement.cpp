// Connects organizations to the Node peer of Tests/EndToEnd on loopback and holds their sessions
// idle with the server's usual renewal window of 60 s, so that each session proves its key every
// 30 s. Prints this process's CPU time over the hold, per organization and idle minute and per
// renewal, and its resident memory, each against its goal. Exits with 1 when a goal is missed, when
// a session drops, or when the peer refuses a proof.
//
//   IdleConnectionsMeasurement [--organizations N] [--seconds S]   (default 10 and 60)
//
// Needs VELTO_SOURCE_DIR (the source tree) and the peer's packages (npm ci in Tests/EndToEnd).
#include "VeltoDevice/Connection/BeastWebSocketDialer.hpp"
#include "VeltoDevice/Connection/DeviceConnection.hpp"
#include "VeltoDevice/Enrollment/ApprovedCode.hpp"
#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentClient.hpp"
#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/HTTP/DeviceIdentity.hpp"
#include "VeltoDevice/Support/Log.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/use_future.hpp>

#include <chrono>
#include <cstdint>
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
#include "ProcessStatus.hpp"

namespace {

using namespace std::chrono_literals;
using namespace velto;
using benchmarks::statusMiB;

constexpr std::int64_t renewWithinMs = 60'000;
constexpr double cpuGoalMsPerOrganizationMinute = 0.5;
constexpr double cpuGoalMicrosecondsPerRenewal = 150.0;
constexpr double residentGoalMiB = 20.0;

/// The renewal proofs the peer has verified and refused so far, over every session.
struct ProofCounts {
    std::int64_t verified = 0;
    std::int64_t refused = 0;
};

ProofCounts proofCounts(const testing::EndToEndPeer& peer) {
    ProofCounts counts;
    const auto listed = peer.control("GET", "/control/connect/sessions");
    for (const auto& session : listed["sessions"]) {
        for (const auto& proof : session["proofs"])
            ++(proof["verified"].get<bool>() ? counts.verified : counts.refused);
    }
    return counts;
}

/// User plus system CPU time of this process so far.
std::chrono::microseconds processCPUTime() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto micros = [](const timeval& value) {
        return std::chrono::seconds(value.tv_sec) + std::chrono::microseconds(value.tv_usec);
    };
    return micros(usage.ru_utime) + micros(usage.ru_stime);
}

/// Runs the context for `duration` as the device thread runs it, blocked until there is work:
/// `run_for` would wake once a second on its own.
void holdFor(boost::asio::io_context& context, std::chrono::steady_clock::duration duration) {
    boost::asio::steady_timer end(context, duration);
    end.async_wait([&context](const boost::system::error_code&) { context.stop(); });
    context.run();
    context.restart();
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
    peer.control("POST", "/control/connect/config", {{"renewWithinMs", renewWithinMs}});
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

    // Lets the work of connecting settle, and places the proofs, due every half window after each
    // welcome, away from the ends of the hold.
    holdFor(context, std::chrono::milliseconds(renewWithinMs / 4));
    auto proofsBefore = proofCounts(peer);
    auto cpuBefore = processCPUTime();
    holdFor(context, std::chrono::seconds(seconds));
    auto cpu = processCPUTime() - cpuBefore;
    auto proofsAfter = proofCounts(peer);
    double residentMiB = statusMiB("VmRSS");
    double peakMiB = statusMiB("VmHWM");
    std::int64_t renewals = proofsAfter.verified - proofsBefore.verified;

    bool stayedConnected = true;
    for (auto& organization : all) {
        if (!organization.later.empty()) {
            stayedConnected = false;
            std::cerr << organization.deviceId << " did not stay connected: " << organization.later.front()
                      << "\n";
        }
    }

    bool proofsAccepted = proofsAfter.refused == 0 && renewals > 0;
    if (proofsAfter.refused != 0)
        std::cerr << "the peer refused " << proofsAfter.refused << " renewal proofs\n";
    if (renewals <= 0)
        std::cerr << "no renewal fell inside the hold\n";

    double cpuMs = static_cast<double>(cpu.count()) / 1000.0;
    double perOrganizationMinute = cpuMs / organizations * (60.0 / seconds);
    // The whole hold's CPU time over its renewals: what an idle session spends besides them counts too.
    double perRenewal = renewals > 0 ? static_cast<double>(cpu.count()) / static_cast<double>(renewals) : 0;
    bool cpuMet = perOrganizationMinute < cpuGoalMsPerOrganizationMinute;
    bool renewalMet = renewals > 0 && perRenewal < cpuGoalMicrosecondsPerRenewal;
    bool memoryMet = residentMiB < residentGoalMiB;
    std::cout << std::fixed << std::setprecision(2);
    std::cout << "idle connections: " << organizations << " organizations held idle for " << seconds
              << " s with a renewal window of " << renewWithinMs / 1000 << " s, " << renewals
              << " renewals\n";
    std::cout << "idle CPU time: " << cpuMs << " ms, " << perOrganizationMinute
              << " ms per organization per idle minute (goal under " << cpuGoalMsPerOrganizationMinute << ": "
              << (cpuMet ? "met" : "MISSED") << ")\n";
    std::cout << "CPU time per renewal: " << perRenewal << " us (goal under " << cpuGoalMicrosecondsPerRenewal
              << ": " << (renewalMet ? "met" : "MISSED") << ")\n";
    std::cout << "resident memory: " << residentMiB << " MiB (peak " << peakMiB << " MiB; goal under "
              << residentGoalMiB << ": " << (memoryMet ? "met" : "MISSED") << ")\n";

    for (auto& organization : all)
        organization.connection.reset();
    context.run_for(100ms);
    return cpuMet && renewalMet && memoryMet && stayedConnected && proofsAccepted ? 0 : 1;
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
