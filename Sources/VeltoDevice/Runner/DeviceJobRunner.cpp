#include "VeltoDevice/Runner/DeviceJobRunner.hpp"

#include "VeltoDevice/Harness/LoginShellPath.hpp"
#include "VeltoDevice/Protocol/RunnerFrames.hpp"
#include "VeltoDevice/Runner/JobFile.hpp"
#include "VeltoDevice/Runner/JobInput.hpp"
#include "VeltoDevice/Runner/JobRelay.hpp"
#include "VeltoDevice/Runner/RunnerError.hpp"
#include "VeltoDevice/Runner/RunnerGenerationCommand.hpp"
#include "VeltoDevice/Runner/RunnerLog.hpp"
#include "VeltoDevice/Runner/RunnerScriptCommand.hpp"
#include "VeltoDevice/Support/CancellableTask.hpp"
#include "VeltoDevice/Support/Latch.hpp"
#include "VeltoDevice/Support/LoggedCompletion.hpp"
#include "VeltoDevice/Support/PrivateTemporaryFolder.hpp"
#include "VeltoDevice/Support/SharedTask.hpp"
#include "VeltoDevice/Support/SpawnedProcess.hpp"
#include "VeltoDevice/Support/WithTimeout.hpp"

#include <boost/asio/co_spawn.hpp>

#include <csignal>
#include <exception>
#include <map>
#include <set>
#include <system_error>
#include <utility>

namespace velto {

namespace {

/// One job whose runner has started and whose relay has not yet ended.
struct RunningJob {
    std::shared_ptr<SpawnedProcess> process;
    std::shared_ptr<JobInput> input;
    std::filesystem::path file;
    /// The SIGKILL that follows a cancellation, armed by the first one.
    std::shared_ptr<CancellableTask> forcedKill;
};

boost::asio::awaitable<void> killWhenStillThere(std::string jobId, std::shared_ptr<SpawnedProcess> process,
                                                std::shared_ptr<Clock> clock) {
    co_await clock->sleep(DeviceJobRunner::killAfter);
    // Reaped means settled: the group id may belong to someone else by now, and nothing is sent.
    if (process->signalGroup(SIGKILL))
        runnerLog().info("job " + jobId + " did not end when cancelled; killed it");
}

/// What ends a wait for the jobs to settle when its time runs out.
struct SettlingTimedOut {};

} // namespace

struct DeviceJobRunner::Core {
    Core(boost::asio::any_io_executor onExecutor, std::optional<std::filesystem::path> script,
         Environment baseEnvironment, std::size_t places, std::shared_ptr<LoginPathResolving> resolver,
         std::shared_ptr<ProcessRunning> commands, std::shared_ptr<Clock> withClock)
        : executor(std::move(onExecutor)), runnerScript(std::move(script)),
          environment(std::move(baseEnvironment)), capacity(places), pathResolver(std::move(resolver)),
          processRunner(std::move(commands)), clock(std::move(withClock)), pathQuery(executor) {}

    boost::asio::any_io_executor executor;
    NewestStream<Event> idleEvents{1};
    NewestStream<Event> roomEvents{1};
    std::optional<std::filesystem::path> runnerScript;
    Environment environment;
    std::size_t capacity;
    std::shared_ptr<LoginPathResolving> pathResolver;
    std::shared_ptr<ProcessRunning> processRunner;
    std::shared_ptr<Clock> clock;
    std::optional<std::string> loginPath;
    /// The one query of the login PATH, which concurrent first callers share.
    SharedTask pathQuery;
    std::optional<int> knownGeneration;
    std::map<std::string, RunningJob> jobs;
    std::set<std::string> reservedJobIds;
    bool holdsNewJobs = false;
    /// Set once the application quits: nothing is reserved or started any more.
    bool isStopping = false;
    /// Opened when the last running job has settled, while `stopAll` waits for that.
    std::shared_ptr<Latch> allSettled;

    bool isIdle() const { return jobs.empty() && reservedJobIds.empty(); }
    bool hasRoom() const { return jobs.size() + reservedJobIds.size() < capacity; }

    void announceIdle() {
        if (isIdle())
            idleEvents.push({});
    }
    void announceRoom() {
        if (!holdsNewJobs && hasRoom())
            roomEvents.push({});
    }

    bool scriptIsPresent() const { return runnerScript && RunnerScriptCommand::isPresent(*runnerScript); }

    /// The login PATH in place of any PATH of the application's environment.
    Environment runnerEnvironment() const {
        return loginPath ? RunnerScriptCommand::withPath(environment, *loginPath) : environment;
    }

    static boost::asio::awaitable<std::optional<std::filesystem::path>>
    nodeExecutable(std::shared_ptr<Core> self);
    static boost::asio::awaitable<bool> isAvailable(std::shared_ptr<Core> self);
    static boost::asio::awaitable<int> generation(std::shared_ptr<Core> self);
    static boost::asio::awaitable<std::optional<JobDeclineReason>> reserve(std::shared_ptr<Core> self,
                                                                           std::string jobId);
    static boost::asio::awaitable<void> start(std::shared_ptr<Core> self, std::string jobId, Bytes document,
                                              Send send);
    static boost::asio::awaitable<void> launch(std::shared_ptr<Core> self, const std::string& jobId,
                                               const Bytes& document, Send& send);
    static boost::asio::awaitable<void> runJob(std::shared_ptr<Core> self, std::string jobId,
                                               std::shared_ptr<SpawnedProcess> process, Send send);
    void settle(const std::string& jobId, const std::shared_ptr<SpawnedProcess>& process);
    void cancel(const std::string& jobId);
    static boost::asio::awaitable<void> stopAll(std::shared_ptr<Core> self, Clock::Duration grace);
    /// True when every job settled within `duration`.
    static boost::asio::awaitable<bool> waitForSettled(std::shared_ptr<Core> self, Clock::Duration duration);
};

boost::asio::awaitable<std::optional<std::filesystem::path>>
DeviceJobRunner::Core::nodeExecutable(std::shared_ptr<Core> self) {
    if (!self->loginPath) {
        if (self->pathQuery.isRunning()) {
            co_await self->pathQuery.join();
        } else {
            SharedTask::Operation query = [self]() -> boost::asio::awaitable<void> {
                auto resolving = self->pathResolver->resolve(self->environment);
                self->loginPath = co_await std::move(resolving);
            };
            co_await self->pathQuery.run(std::move(query));
        }
    }
    if (!self->loginPath)
        co_return std::nullopt;
    co_return LoginShellPath::locate("node", *self->loginPath);
}

boost::asio::awaitable<bool> DeviceJobRunner::Core::isAvailable(std::shared_ptr<Core> self) {
    if (!self->scriptIsPresent())
        co_return false;
    auto finding = nodeExecutable(self);
    auto node = co_await std::move(finding);
    co_return node.has_value();
}

boost::asio::awaitable<int> DeviceJobRunner::Core::generation(std::shared_ptr<Core> self) {
    if (self->knownGeneration)
        co_return *self->knownGeneration;
    if (!self->scriptIsPresent())
        co_return 1;
    auto finding = nodeExecutable(self);
    auto node = co_await std::move(finding);
    if (!node)
        co_return 1;
    RunnerGenerationCommand command(*node, *self->runnerScript, self->runnerEnvironment(),
                                    self->processRunner);
    auto answer = co_await command.fetch();
    // Nothing is kept from a query that gave no answer: the next hello asks again.
    if (answer && !self->knownGeneration)
        self->knownGeneration = answer;
    co_return answer.value_or(1);
}

boost::asio::awaitable<std::optional<JobDeclineReason>>
DeviceJobRunner::Core::reserve(std::shared_ptr<Core> self, std::string jobId) {
    auto checking = isAvailable(self);
    bool available = co_await std::move(checking);
    if (!available)
        co_return JobDeclineReason::runnerUnavailable;
    // The count and the insert below are free of suspensions.
    if (self->holdsNewJobs || self->isStopping)
        co_return JobDeclineReason::busy;
    // A second run of a running or reserved id would lose track of the first one.
    if (self->jobs.contains(jobId) || self->reservedJobIds.contains(jobId))
        co_return JobDeclineReason::busy;
    if (!self->hasRoom())
        co_return JobDeclineReason::busy;
    self->reservedJobIds.insert(std::move(jobId));
    co_return std::nullopt;
}

boost::asio::awaitable<void> DeviceJobRunner::Core::start(std::shared_ptr<Core> self, std::string jobId,
                                                          Bytes document, Send send) {
    std::exception_ptr failure;
    try {
        auto launching = launch(self, jobId, document, send);
        co_await std::move(launching);
    } catch (...) {
        failure = std::current_exception();
    }
    // Recorded as running before the reservation goes, with no suspension between: a started job
    // holds its place without a gap and announces nothing.
    self->reservedJobIds.erase(jobId);
    self->announceIdle();
    if (failure) {
        self->announceRoom();
        std::rethrow_exception(failure);
    }
}

boost::asio::awaitable<void> DeviceJobRunner::Core::launch(std::shared_ptr<Core> self,
                                                           const std::string& jobId, const Bytes& document,
                                                           Send& send) {
    auto finding = nodeExecutable(self);
    auto node = co_await std::move(finding);
    if (!node || !self->scriptIsPresent())
        throw RunnerError::unavailable();
    // A job started while quitting would outlive the wait for the running ones.
    if (self->jobs.contains(jobId) || self->isStopping)
        throw RunnerError::launchFailed();

    auto privateFolder = PrivateTemporaryFolder::path();
    auto file = JobFile::write(document, privateFolder);

    ProcessLaunch launch;
    launch.executable = *node;
    launch.arguments = {self->runnerScript->string(), "device", "run", "--job", file.string()};
    launch.environment = self->runnerEnvironment();
    launch.workingDirectory = privateFolder;
    launch.input = ProcessLaunch::Stream::pipe;
    launch.output = ProcessLaunch::Stream::pipe;
    launch.errors = ProcessLaunch::Stream::pipe;
    std::shared_ptr<SpawnedProcess> process;
    try {
        process = SpawnedProcess::spawn(self->executor, launch);
    } catch (const std::system_error& error) {
        JobFile::remove(file);
        runnerLog().error("could not launch the runner of job " + jobId + ": " + error.code().message());
        throw RunnerError::launchFailed();
    }

    runnerLog().info("started job " + jobId);
    auto input = std::make_shared<JobInput>(self->executor, jobId, std::move(*process->input));
    process->input.reset();
    self->jobs[jobId] = RunningJob{process, std::move(input), std::move(file), nullptr};
    boost::asio::co_spawn(self->executor, runJob(self, jobId, process, std::move(send)),
                          LoggedCompletion(runnerLog(), "run job " + jobId));
}

boost::asio::awaitable<void> DeviceJobRunner::Core::runJob(std::shared_ptr<Core> self, std::string jobId,
                                                           std::shared_ptr<SpawnedProcess> process,
                                                           Send send) {
    try {
        auto relaying = JobRelay::run(jobId, process, std::move(send), self->clock);
        co_await std::move(relaying);
    } catch (...) {
        // Only a relay torn down half-way gets here: leave nothing of the job running or unreaped.
        process->signalGroup(SIGKILL);
        process->reapInBackground();
    }
    self->settle(jobId, process);
}

void DeviceJobRunner::Core::settle(const std::string& jobId, const std::shared_ptr<SpawnedProcess>& process) {
    auto job = jobs.find(jobId);
    if (job == jobs.end() || job->second.process != process)
        return;
    job->second.input->close();
    if (job->second.forcedKill)
        job->second.forcedKill->cancel();
    auto file = std::move(job->second.file);
    jobs.erase(job);
    JobFile::remove(file);
    runnerLog().info("job " + jobId + " ended");
    if (jobs.empty() && allSettled)
        allSettled->open();
    announceIdle();
    announceRoom();
}

boost::asio::awaitable<bool> DeviceJobRunner::Core::waitForSettled(std::shared_ptr<Core> self,
                                                                   Clock::Duration duration) {
    if (self->jobs.empty())
        co_return true;
    auto latch = std::make_shared<Latch>(self->executor);
    self->allSettled = latch;
    bool settled = true;
    try {
        auto waiting = latch->wait();
        co_await withTimeout(*self->clock, duration, SettlingTimedOut{}, std::move(waiting));
    } catch (const SettlingTimedOut&) {
        settled = false;
    }
    if (self->allSettled == latch)
        self->allSettled.reset();
    co_return settled;
}

boost::asio::awaitable<void> DeviceJobRunner::Core::stopAll(std::shared_ptr<Core> self,
                                                            Clock::Duration grace) {
    self->isStopping = true;
    std::vector<std::string> running;
    for (const auto& entry : self->jobs)
        running.push_back(entry.first);
    for (const auto& jobId : running)
        self->cancel(jobId);
    auto waiting = waitForSettled(self, grace);
    const bool settled = co_await std::move(waiting);
    if (settled)
        co_return;
    for (const auto& [jobId, job] : self->jobs) {
        if (job.process->signalGroup(SIGKILL))
            runnerLog().info("job " + jobId + " did not end when the application quit; killed it");
    }
    auto settling = waitForSettled(self, settleAfterKill);
    const bool settledAfterKill = co_await std::move(settling);
    if (settledAfterKill)
        co_return;
    // A descendant outside the group may hold the output open: the document goes all the same.
    for (auto& [jobId, job] : self->jobs) {
        runnerLog().error("job " + jobId + " did not settle before the application quit");
        JobFile::remove(job.file);
    }
}

void DeviceJobRunner::Core::cancel(const std::string& jobId) {
    auto job = jobs.find(jobId);
    if (job == jobs.end())
        return;
    runnerLog().info("cancelling job " + jobId);
    // The whole group: the harness tools the runner started stop with it.
    job->second.process->signalGroup(SIGTERM);
    if (!job->second.forcedKill) {
        job->second.forcedKill =
            std::make_shared<CancellableTask>(executor, runnerLog(), "kill job " + jobId);
        job->second.forcedKill->start(killWhenStillThere(jobId, job->second.process, clock));
    }
}

DeviceJobRunner::DeviceJobRunner(boost::asio::any_io_executor executor,
                                 std::optional<std::filesystem::path> runnerScript, Environment environment,
                                 std::size_t capacity, std::shared_ptr<LoginPathResolving> pathResolver,
                                 std::shared_ptr<ProcessRunning> processRunner, std::shared_ptr<Clock> clock)
    : core_(std::make_shared<Core>(std::move(executor), std::move(runnerScript), std::move(environment),
                                   capacity, std::move(pathResolver), std::move(processRunner),
                                   std::move(clock))) {}

DeviceJobRunner::~DeviceJobRunner() {
    for (auto& [jobId, job] : core_->jobs)
        job.process->signalGroup(SIGTERM);
    core_->idleEvents.finish();
    core_->roomEvents.finish();
}

NewestStream<DeviceJobRunner::Event>& DeviceJobRunner::idleEvents() {
    return core_->idleEvents;
}

NewestStream<DeviceJobRunner::Event>& DeviceJobRunner::roomEvents() {
    return core_->roomEvents;
}

boost::asio::awaitable<bool> DeviceJobRunner::isAvailable() {
    return Core::isAvailable(core_);
}

boost::asio::awaitable<int> DeviceJobRunner::generation() {
    return Core::generation(core_);
}

boost::asio::awaitable<std::optional<JobDeclineReason>>
DeviceJobRunner::reserve(ServerMessage::JobOffer offer) {
    return Core::reserve(core_, std::move(offer.jobId));
}

boost::asio::awaitable<void> DeviceJobRunner::release(std::string jobId) {
    core_->reservedJobIds.erase(jobId);
    core_->announceIdle();
    core_->announceRoom();
    co_return;
}

boost::asio::awaitable<void> DeviceJobRunner::start(std::string jobId, Bytes document, Send send) {
    return Core::start(core_, std::move(jobId), std::move(document), std::move(send));
}

boost::asio::awaitable<void> DeviceJobRunner::deliver(std::string toolResultFrame, std::string jobId) {
    auto job = core_->jobs.find(jobId);
    if (job == core_->jobs.end())
        co_return;
    auto line = RunnerFrames::runnerLine(toolResultFrame);
    if (!line)
        co_return;
    job->second.input->write(*line + "\n");
}

boost::asio::awaitable<void> DeviceJobRunner::cancel(std::string jobId) {
    core_->cancel(jobId);
    co_return;
}

boost::asio::awaitable<void> DeviceJobRunner::cancelAll() {
    std::vector<std::string> running;
    for (const auto& entry : core_->jobs)
        running.push_back(entry.first);
    for (const auto& jobId : running)
        core_->cancel(jobId);
    co_return;
}

boost::asio::awaitable<void> DeviceJobRunner::stopAll(Clock::Duration grace) {
    return Core::stopAll(core_, grace);
}

boost::asio::awaitable<bool> DeviceJobRunner::isIdle() {
    co_return core_->isIdle();
}

boost::asio::awaitable<void> DeviceJobRunner::holdNewJobs(bool hold) {
    core_->holdsNewJobs = hold;
    co_return;
}

} // namespace velto
