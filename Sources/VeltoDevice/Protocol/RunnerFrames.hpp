#pragma once

#include "VeltoDevice/Protocol/RunnerFrame.hpp"
#include "VeltoDevice/Support/Bytes.hpp"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace velto {

/// Translation between the session's frames and the runner's lines, done on untyped JSON objects so
/// that every key the Mac does not know passes through. Nothing here throws: input that cannot be
/// used gives nothing, and the callers decide what to do.
struct RunnerFrames {
    RunnerFrames() = delete;

    /// The runner line types sent to the server: "tool.call", "job.event", "job.finish".
    static const std::set<std::string, std::less<>>& forwardedTypes();

    /// The offer frame's "job" object, written with slashes unescaped; nothing when the frame is not
    /// a JSON object or "job" is not an object.
    static std::optional<Bytes> jobDocument(std::string_view offerFrame);

    /// The session frame for one runner line (without its line end), stamped with `jobId`; nothing
    /// for a line of another type, of another "v", or that is not a JSON object.
    static std::optional<RunnerFrame> socketFrame(std::string_view runnerLine, std::string_view jobId);

    /// The runner's input line (without a line end) for a raw "tool.result" frame: the frame without
    /// its "jobId".
    static std::optional<std::string> runnerLine(std::string_view toolResultFrame);

    /// A "job.finish" that reports the job as failed with `error`.
    static std::string failedFinish(std::string_view jobId, std::string_view error);
};

} // namespace velto
