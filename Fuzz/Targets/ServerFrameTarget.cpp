#include "VeltoDevice/Protocol/ProtocolError.hpp"
#include "VeltoDevice/Protocol/RunnerFrames.hpp"
#include "VeltoDevice/Protocol/ServerMessage.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <optional>

#include "Targets/PropertyViolation.hpp"
#include "Targets/ServerFrameWriter.hpp"
#include "Targets/Targets.hpp"

namespace velto::fuzz {

void runServerFrame(std::string_view input) {
    // What the session cuts from the raw frame never throws, whatever the frame.
    std::optional<Bytes> document = RunnerFrames::jobDocument(input);
    std::optional<std::string> line = RunnerFrames::runnerLine(input);

    std::optional<ServerMessage> message;
    try {
        message = ServerMessage::decode(input);
    } catch (const ProtocolError&) {
        return;
    }
    require(ServerMessage::decode(ServerFrameWriter::frame(*message)) == *message,
            "a decoded frame re-encodes and decodes to itself");

    if (const auto* offer = message->as<ServerMessage::JobOffer>()) {
        (void)offer->isRunnable();
        (void)offer->description();
        // Else the session would decline an offer it read as "runner-unavailable".
        require(document.has_value(), "an offer that decodes has its job document");
        auto job = parseJson(*document);
        require(job && job->is_object() && json::string(*job, "jobId") == offer->jobId,
                "the job document is the offer's job object");
    }
    if (message->as<ServerMessage::ToolResult>()) {
        require(line.has_value(), "a tool result that decodes has its runner line");
        auto value = parseJson(*line);
        require(value && value->is_object() && !value->contains("jobId"), "a runner line has no job id");
        require(RunnerFrames::runnerLine(*line) == line, "a runner line translates to itself");
    }
}

} // namespace velto::fuzz
