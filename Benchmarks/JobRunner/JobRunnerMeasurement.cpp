// The job runner on the real node with the runner stand-in of Tests/EndToEnd, relaying to the Node
// peer over TLS on loopback:
//   - relay latency from a runner line to the frame the peer receives, p50 and p99 over 10,000 lines
//     printed about 1 ms apart; both ends stamp with the monotonic clock (the stand-in and the peer are
//     Node processes reading process.hrtime.bigint()); goal p99 under 1 ms;
//   - throughput of a runner printing 1 KiB lines as fast as it can, lines/s and MiB/s arriving at the
//     peer; goal at least 10 MiB/s;
//   - time from `cancel` to the place freed and to the last process of the group gone, p50 and p99
//     over 50 jobs whose runner has two children; goal p99 under 100 ms each;
//   - relay latency p99 and cancel to the place freed p99 again, with the velto command's logins
//     written and an update staged and discarded over and over beside them.
// Prints one line per figure with its goal and exits with 1 when one is missed.
//
//   JobRunnerMeasurement [--lines N] [--jobs N]   (default 10000 and 50)
//
// Needs VELTO_SOURCE_DIR (the source tree) and the peer's packages (npm ci in Tests/EndToEnd).
#include "VeltoDevice/CommandLineTool/CommandLineLogins.hpp"
#include "VeltoDevice/Connection/BeastWebSocketDialer.hpp"
#include "VeltoDevice/Connection/DeviceConnection.hpp"
#include "VeltoDevice/Enrollment/ApprovedCode.hpp"
#include "VeltoDevice/Enrollment/EnrollmentClient.hpp"
#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/HTTP/DeviceIdentity.hpp"
#include "VeltoDevice/Harness/LoginShellPath.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Runner/DeviceJobRunner.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"
#include "VeltoDevice/Update/BeastUpdateDownloader.hpp"
#include "VeltoDevice/Update/BundleManifestVerification.hpp"
#include "VeltoDevice/Update/UpdateStager.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/asio/use_future.hpp>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <iomanip>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "EndToEndPeer.hpp"
#include "FixedLoginPath.hpp"
#include "FixedSigningKey.hpp"
#include "Measurement.hpp"
#include "ScriptFixtures.hpp"
#include "ServedUpdate.hpp"
#include "TemporaryFolder.hpp"

namespace {

using namespace std::chrono_literals;
using namespace velto;
using benchmarks::percentile;
using benchmarks::report;
using Json = nlohmann::json;

constexpr double latencyGoalMs = 1.0;
constexpr double throughputGoalMiB = 10.0;
constexpr double cancelGoalMs = 100.0;
constexpr int throughputLines = 20000;

boost::asio::awaitable<void> enroll(VeltoServer server, DPoPHTTPClient http, EnrollmentRequest request) {
    EnrollmentClient client{std::move(server), std::move(http)};
    co_await client.enroll(std::move(request));
}

Json offer(const std::string& jobId, Json steps) {
    return {{"v", 1},
            {"type", "job.offer"},
            {"job",
             {{"jobId", jobId},
              {"reviewId", "review-" + jobId},
              {"harness", "claude-code"},
              {"repository", {{"owner", "acme"}, {"name", "api"}}},
              {"standIn", {{"steps", std::move(steps)}}}}}};
}

/// The peer's arrivals of the job's events once there are `count`. While they come only their number
/// is asked for: serialising thousands of arrivals would hold up the peer and delay its receive stamps,
/// which the figures would then count against the agent. The arrivals are read once, at the end.
Json arrivalsOf(const testing::EndToEndPeer& peer, const std::string& jobId, std::size_t count) {
    const std::string query = "/control/connect/arrivals?session=1&type=job.event&jobId=" + jobId;
    auto deadline = std::chrono::steady_clock::now() + 120s;
    for (;;) {
        auto received = peer.control("GET", query + "&count=1")["count"].get<std::size_t>();
        if (received >= count)
            break;
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the peer received " + std::to_string(received) + " of " +
                                     std::to_string(count) + " lines of " + jobId);
        std::this_thread::sleep_for(50ms);
    }
    return peer.control("GET", query)["arrivals"];
}

double nanoseconds(const Json& stamp) {
    return static_cast<double>(std::stoll(stamp.get<std::string>()));
}

boost::asio::awaitable<void> record(std::shared_ptr<NewestStream<std::string>> frames, std::string text) {
    frames->push(std::move(text));
    co_return;
}

boost::asio::awaitable<void> pause(std::chrono::microseconds duration) {
    boost::asio::steady_timer timer(co_await boost::asio::this_coro::executor, duration);
    co_await timer.async_wait(boost::asio::use_awaitable);
}

struct CancelTimes {
    std::vector<double> freed;
    std::vector<double> gone;
};

/// Starts each job through the runner itself, waits for its children, cancels it and times the room
/// event and the end of its last process.
boost::asio::awaitable<CancelTimes> measureCancels(std::shared_ptr<DeviceJobRunner> runner, int jobs,
                                                   std::string prefix) {
    CancelTimes times;
    Json job = offer("", Json::array({{{"children", 2}}, {{"wait", true}}}))["job"];
    for (int index = 0; index < jobs; ++index) {
        std::string jobId = prefix + std::to_string(index);
        job["jobId"] = jobId;
        ServerMessage::JobOffer jobOffer;
        jobOffer.jobId = jobId;
        auto reserving = runner->reserve(jobOffer);
        auto reason = co_await std::move(reserving);
        if (reason)
            throw std::runtime_error("the runner declined a job");
        auto frames = std::make_shared<NewestStream<std::string>>(8);
        JobRunning::Send send = [frames](std::string text) { return record(frames, std::move(text)); };
        auto document = job.dump();
        auto starting = runner->start(jobId, Bytes(document.begin(), document.end()), std::move(send));
        co_await std::move(starting);
        auto children = co_await frames->next();
        Json event = Json::parse(children.value_or("{}"))["event"];
        std::vector<pid_t> pids{event.value("runner", -1)};
        for (const auto& pid : event["pids"])
            pids.push_back(pid.get<pid_t>());

        auto& room = runner->roomEvents();
        while (room.bufferedCount() > 0)
            co_await room.next();
        auto start = std::chrono::steady_clock::now();
        auto cancelling = runner->cancel(jobId);
        co_await std::move(cancelling);
        double gone = 0;
        auto allGone = [&] {
            for (pid_t pid : pids) {
                if (!testing::isGone(pid))
                    return false;
            }
            return true;
        };
        while (room.bufferedCount() == 0) {
            if (gone == 0 && allGone())
                gone = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                           .count();
            co_await pause(100us);
        }
        co_await room.next();
        times.freed.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        while (!allGone())
            co_await pause(100us);
        if (gone == 0)
            gone =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        times.gone.push_back(gone);
    }
    co_return times;
}

struct Figures {
    std::vector<double> latencies;
    double linesPerSecond = 0;
    double mebibytesPerSecond = 0;
    CancelTimes cancels;
    std::vector<double> latenciesBeside;
    CancelTimes cancelsBeside;
};

std::vector<double> relayLatencies(const testing::EndToEndPeer& peer, const std::string& jobId, int lines) {
    std::vector<double> latencies;
    peer.control(
        "POST", "/control/connect/send",
        {{"frame",
          offer(jobId,
                Json::array({{{"lines", {{"count", lines}, {"bytes", 200}, {"intervalUs", 1000}}}}}))}});
    for (const auto& arrival : arrivalsOf(peer, jobId, static_cast<std::size_t>(lines)))
        latencies.push_back((nanoseconds(arrival["receivedAt"]) - nanoseconds(arrival["sentAt"])) / 1e6);
    return latencies;
}

CancelTimes cancelTimes(boost::asio::io_context& context, std::shared_ptr<DeviceJobRunner> runner, int jobs,
                        std::string prefix) {
    return boost::asio::co_spawn(context, measureCancels(std::move(runner), jobs, std::move(prefix)),
                                 boost::asio::use_future)
        .get();
}

void relayAndCancel(Figures& figures, const testing::EndToEndPeer& peer, boost::asio::io_context& context,
                    std::shared_ptr<DeviceJobRunner> runner, int lines, int jobs) {
    figures.latencies = relayLatencies(peer, "latency", lines);

    peer.control(
        "POST", "/control/connect/send",
        {{"frame",
          offer("throughput", Json::array({{{"lines", {{"count", throughputLines}, {"bytes", 1024}}}}}))}});
    Json arrivals = arrivalsOf(peer, "throughput", throughputLines);
    double seconds =
        (nanoseconds(arrivals.back()["receivedAt"]) - nanoseconds(arrivals.front()["sentAt"])) / 1e9;
    double bytes = 0;
    for (const auto& arrival : arrivals)
        bytes += arrival["bytes"].get<double>();
    figures.linesPerSecond = throughputLines / seconds;
    figures.mebibytesPerSecond = bytes / (1024.0 * 1024.0) / seconds;

    figures.cancels = cancelTimes(context, runner, jobs, "cancel-");
}

/// What the agent does beside its jobs that once held up the sessions' thread: the velto command's
/// logins written (and synced) every 50 ms, as on the storage strand, and an update of 2,000 files
/// staged and discarded over and over on the sessions' own thread and pool, until stopped. The update
/// comes from a peer of its own: the relay's peer, busy sending it, would stamp its arrivals late.
class BesideLoad {
public:
    BesideLoad(boost::asio::io_context& context, const std::filesystem::path& work)
        : served_(benchmarks::ServedUpdate::serve(updates_, work / "served", 2000)) {
        const auto& peer = updates_;
        auto check =
            std::make_shared<BundleManifestVerification>(served_.signer, pool_, SystemClock::shared());
        stager_ = std::make_shared<UpdateStager>(
            work / "Updates", "app.velto.desktop",
            std::make_shared<BeastUpdateDownloader>(BeastUpdateDownloader::Options{
                .extraTrustAnchor = peer.caFile(), .writer = pool_.get_executor()}),
            check, pool_, SystemClock::shared());
        staging_ = boost::asio::co_spawn(context, stageOverAndOver(stager_, served_.update, stopped_),
                                         boost::asio::use_future);
        writer_ = std::thread([this, file = work / "device-logins.json"] {
            CommandLineLogins logins(file);
            for (int index = 0; !stopped_; ++index) {
                logins.keep(CommandLineLogin{"device-" + std::to_string(index % 10),
                                             "https://velto.example",
                                             "token-" + std::to_string(index),
                                             "2030-01-01T00:00:00Z",
                                             {"Org", "org"}});
                std::this_thread::sleep_for(50ms);
            }
        });
    }

    /// Stops both and returns the number of stagings done.
    int stop() {
        stopped_ = true;
        writer_.join();
        const int staged = staging_.get();
        pool_.join();
        return staged;
    }

private:
    static boost::asio::awaitable<int> stageOverAndOver(std::shared_ptr<UpdateStager> stager,
                                                        VerifiedUpdate update,
                                                        const std::atomic<bool>& stopped) {
        int staged = 0;
        while (!stopped) {
            auto done = co_await stager->stage(update);
            stager->discard(done);
            ++staged;
        }
        co_return staged;
    }

    testing::EndToEndPeer updates_;
    benchmarks::ServedUpdate served_;
    boost::asio::thread_pool pool_{2};
    std::shared_ptr<UpdateStager> stager_;
    std::atomic<bool> stopped_ = false;
    std::future<int> staging_;
    std::thread writer_;
};

int measure(int lines, int jobs) {
    benchmarks::discardLog();
    testing::TemporaryFolder runtime;
    ::chmod(runtime.path().c_str(), 0700);
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);

    testing::EndToEndPeer peer;
    peer.control("POST", "/control/enrollment-codes",
                 {{"codes", Json::array({{{"code", "JABS2345"},
                                          {"organization", {{"id", "org-jobs"}, {"name", "Jobs"}}},
                                          {"user", {{"login", "device-user"}}}}})}});

    boost::asio::io_context context;
    auto server = VeltoServer::fromBaseURL(boost::urls::url(peer.baseURL()));
    auto transport =
        std::make_shared<BeastHTTPTransport>(BeastHTTPTransport::Options{.extraTrustAnchor = peer.caFile()});
    DeviceIdentity identity(server, std::make_shared<testing::FixedSigningKey>(), transport);
    EnrollmentRequest request(ApprovedCode{server, EnrollmentCode::fromTyped("JABS2345")}, "Measurement Mac",
                              "1.0.0", {});
    benchmarks::runToEnd(context, enroll(server, identity.http, std::move(request)));

    auto clock = SystemClock::shared();
    auto runner = std::make_shared<DeviceJobRunner>(
        context.get_executor(), testing::EndToEndPeer::directory() / "runner.mjs", Environment{}, 16,
        std::make_shared<testing::FixedLoginPath>(), std::make_shared<ProcessRunner>(clock), clock);
    auto dialer = std::make_shared<BeastWebSocketDialer>(
        context.get_executor(), BeastWebSocketDialer::Options{.extraTrustAnchor = peer.caFile()});
    DeviceMessage::Hello hello{"1.0.0", {}, 16, 1};
    auto connection = std::make_unique<DeviceConnection>(
        context.get_executor(), identity, dialer, Backoff::standard(), clock,
        SessionHandlers{runner, nullptr},
        [hello]() -> boost::asio::awaitable<DeviceMessage::Hello> { co_return hello; });
    benchmarks::runToEnd(context, connection->start());
    for (;;) {
        auto state = benchmarks::runToEnd(context, connection->states().next());
        if (!state)
            throw std::runtime_error("the connection ended");
        if (state->kind() == ConnectionState::Case::connected)
            break;
    }

    auto work = boost::asio::make_work_guard(context);
    std::thread worker([&] { context.run(); });
    // The library's objects end on their own thread, whatever ends the measurement.
    auto stop = [&] {
        boost::asio::post(context, [&] {
            connection.reset();
            runner.reset();
            work.reset();
        });
        worker.join();
    };
    Figures figures;
    int stagings = 0;
    try {
        relayAndCancel(figures, peer, context, runner, lines, jobs);
        testing::TemporaryFolder scratch;
        BesideLoad beside(context, scratch.path());
        try {
            figures.latenciesBeside = relayLatencies(peer, "latency-beside", lines);
            figures.cancelsBeside = cancelTimes(context, runner, jobs, "cancel-beside-");
        } catch (...) {
            beside.stop();
            throw;
        }
        stagings = beside.stop();
    } catch (...) {
        stop();
        throw;
    }
    stop();

    std::cout << std::fixed << std::setprecision(3);
    std::cout << "job runner: " << lines << " lines relayed, " << throughputLines << " lines of 1 KiB, "
              << jobs << " jobs cancelled\n";
    const auto& [latencies, linesPerSecond, mebibytesPerSecond, cancels, latenciesBeside, cancelsBeside] =
        figures;
    bool met = true;
    met = report("relay latency p50", percentile(latencies, 0.5), "ms", latencyGoalMs, false) && met;
    met = report("relay latency p99", percentile(latencies, 0.99), "ms", latencyGoalMs, false) && met;
    std::cout << "relay throughput: " << std::setprecision(0) << linesPerSecond << " lines/s\n"
              << std::setprecision(3);
    met = report("relay throughput", mebibytesPerSecond, "MiB/s", throughputGoalMiB, true) && met;
    met =
        report("cancel to the place freed p50", percentile(cancels.freed, 0.5), "ms", cancelGoalMs, false) &&
        met;
    met =
        report("cancel to the place freed p99", percentile(cancels.freed, 0.99), "ms", cancelGoalMs, false) &&
        met;
    met = report("cancel to the group gone p50", percentile(cancels.gone, 0.5), "ms", cancelGoalMs, false) &&
          met;
    met = report("cancel to the group gone p99", percentile(cancels.gone, 0.99), "ms", cancelGoalMs, false) &&
          met;
    std::cout << "beside them, the velto command's logins written every 50 ms and " << stagings
              << " updates of 2,000 files staged and discarded:\n";
    met = report("relay latency p99 beside logins and staging", percentile(latenciesBeside, 0.99), "ms",
                 latencyGoalMs, false) &&
          met;
    met = report("cancel to the place freed p99 beside logins and staging",
                 percentile(cancelsBeside.freed, 0.99), "ms", cancelGoalMs, false) &&
          met;
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    int lines = 10000;
    int jobs = 50;
    if (!benchmarks::readPositiveOptions(argc, argv, {{"--lines", &lines}, {"--jobs", &jobs}},
                                         "JobRunnerMeasurement [--lines N] [--jobs N]"))
        return 2;
    try {
        return measure(lines, jobs);
    } catch (const std::exception& error) {
        std::cerr << "the measurement failed: " << error.what() << "\n";
        return 2;
    }
}
