#include "VeltoDevice/Protocol/RunnerFrames.hpp"

#include "VeltoDevice/Protocol/ProtocolVersion.hpp"
#include "VeltoDevice/Support/Json.hpp"

namespace velto {

namespace {

/// The parsed text when it is a JSON object (the shared parse refuses text nested too deeply to write
/// again).
std::optional<Json> parseObject(std::string_view text) {
    std::optional<Json> value = parseJson(text);
    if (!value || !value->is_object())
        return std::nullopt;
    return value;
}

/// Frame mode: sorted keys, slashes unescaped, no spaces. Nothing when a text is not valid UTF-8.
std::optional<std::string> writeFrame(const Json& object) {
    try {
        return encodeCompact(object);
    } catch (const Json::type_error&) {
        return std::nullopt;
    }
}

} // namespace

const std::set<std::string, std::less<>>& RunnerFrames::forwardedTypes() {
    static const std::set<std::string, std::less<>> types{"tool.call", "job.event", "job.finish"};
    return types;
}

std::optional<Bytes> RunnerFrames::jobDocument(std::string_view offerFrame) {
    std::optional<Json> frame = parseObject(offerFrame);
    if (!frame)
        return std::nullopt;
    auto job = frame->find("job");
    if (job == frame->end() || !job->is_object())
        return std::nullopt;
    // Document mode differs from frame mode only in key order, which is the writer's own; ours sorts.
    std::optional<std::string> text = writeFrame(*job);
    if (!text)
        return std::nullopt;
    return toBytes(*text);
}

std::optional<RunnerFrame> RunnerFrames::socketFrame(std::string_view runnerLine, std::string_view jobId) {
    std::optional<Json> line = parseObject(runnerLine);
    if (!line)
        return std::nullopt;
    auto type = line->find("type");
    if (type == line->end() || !type->is_string())
        return std::nullopt;
    const auto& typeText = type->get_ref<const std::string&>();
    if (!forwardedTypes().contains(typeText))
        return std::nullopt;
    bool isFinish = typeText == "job.finish";
    if (json::integer(*line, "v") != ProtocolVersion::current)
        return std::nullopt;
    (*line)["jobId"] = jobId;
    std::optional<std::string> text = writeFrame(*line);
    if (!text)
        return std::nullopt;
    return RunnerFrame{std::move(*text), isFinish};
}

std::optional<std::string> RunnerFrames::runnerLine(std::string_view toolResultFrame) {
    std::optional<Json> frame = parseObject(toolResultFrame);
    if (!frame)
        return std::nullopt;
    auto type = frame->find("type");
    if (type == frame->end() || !type->is_string() || type->get_ref<const std::string&>() != "tool.result")
        return std::nullopt;
    frame->erase("jobId");
    return writeFrame(*frame);
}

std::string RunnerFrames::failedFinish(std::string_view jobId, std::string_view error) {
    Json result = Json::object();
    result["status"] = "failed";
    result["finalText"] = "";
    result["error"] = error;
    result["retryAfter"] = nullptr;
    result["usage"] = nullptr;
    result["model"] = nullptr;
    Json frame = Json::object();
    frame["v"] = ProtocolVersion::current;
    frame["type"] = "job.finish";
    frame["jobId"] = jobId;
    frame["result"] = std::move(result);
    // The finish must reach the server even when a text in it is not valid UTF-8: such bytes are
    // written as U+FFFD rather than losing the frame.
    return encodeCompactRepaired(frame);
}

} // namespace velto
