#include "VeltoDevice/Protocol/ProtocolVersion.hpp"
#include "VeltoDevice/Protocol/RunnerFrames.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include "Targets/PropertyViolation.hpp"
#include "Targets/Targets.hpp"

namespace velto::fuzz {

void runRunnerLine(std::string_view input) {
    constexpr std::string_view jobId = "job-7";

    // Whatever the runner printed as its error, the failed finish is a frame the server can read.
    auto finish = parseJson(RunnerFrames::failedFinish(jobId, input));
    require(finish && json::string(*finish, "type") == "job.finish" &&
                json::string(*finish, "jobId") == jobId,
            "a failed finish is a job.finish frame of its job");

    auto frame = RunnerFrames::socketFrame(input, jobId);
    if (!frame)
        return;
    auto value = parseJson(frame->text);
    require(value && value->is_object(), "a session frame is a JSON object");
    auto type = json::string(*value, "type");
    require(type && RunnerFrames::forwardedTypes().contains(*type), "only forwarded types are sent");
    require(json::integer(*value, "v") == ProtocolVersion::current,
            "a session frame has the current version");
    require(json::string(*value, "jobId") == jobId, "a session frame carries its job's id");
    require(frame->isFinish == (*type == "job.finish"), "only a job.finish finishes");
    require(RunnerFrames::socketFrame(frame->text, jobId) == frame, "a session frame translates to itself");
}

} // namespace velto::fuzz
