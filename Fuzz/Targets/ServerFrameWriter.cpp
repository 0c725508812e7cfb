#include "Targets/ServerFrameWriter.hpp"

#include "VeltoDevice/Support/Json.hpp"

#include <type_traits>

namespace velto::fuzz {

namespace {

void putOptional(Json& object, const char* key, const std::optional<std::string>& value) {
    if (value)
        object[key] = *value;
}

Json profileOf(const DeviceProfile& profile) {
    Json organization = {{"id", profile.organization.id}, {"name", profile.organization.name}};
    putOptional(organization, "photoVersion", profile.organization.photoVersion);
    Json user = {{"login", profile.user.login}};
    putOptional(user, "name", profile.user.name);
    if (profile.user.avatarURL)
        user["avatarUrl"] = std::string(profile.user.avatarURL->buffer());
    return {{"organization", organization}, {"user", user}};
}

Json payloadOf(const ServerMessage::Welcome& welcome) {
    Json frame = {{"type", "welcome"},
                  {"deviceId", welcome.deviceId},
                  {"nonce", welcome.nonce},
                  {"renewWithinMs", welcome.renewWithinMs}};
    if (welcome.profile)
        frame["profile"] = profileOf(*welcome.profile);
    return frame;
}

Json payloadOf(const ServerMessage::Renewal& renewal) {
    return {{"type", "renewed"}, {"nonce", renewal.nonce}, {"renewWithinMs", renewal.renewWithinMs}};
}

Json payloadOf(const ServerMessage::JobOffer& offer) {
    Json job = {{"jobId", offer.jobId}, {"harness", offer.harness}};
    putOptional(job, "reviewId", offer.reviewId);
    if (offer.repository)
        job["repository"] = {{"owner", offer.repository->owner}, {"name", offer.repository->name}};
    if (offer.subject)
        job["subject"] = {{"kind", offer.subject->kind}, {"id", offer.subject->id}};
    return {{"type", "job.offer"}, {"job", job}};
}

Json payloadOf(const ServerMessage::JobCancel& cancel) {
    return {{"type", "job.cancel"}, {"jobId", cancel.jobId}};
}

Json payloadOf(const ServerMessage::ToolResult& result) {
    return {{"type", "tool.result"}, {"jobId", result.jobId}, {"callId", result.callId}, {"ok", result.ok}};
}

Json payloadOf(const ServerMessage::UpdateOffer& offer) {
    return {{"type", "update"},
            {"version", offer.version},
            {"url", offer.url},
            {"sha256", offer.sha256},
            {"signature", offer.signature}};
}

} // namespace

std::string ServerFrameWriter::frame(const ServerMessage& message) {
    Json frame;
    if (const auto* unknown = message.as<ServerMessage::Unknown>()) {
        frame = {{"v", 2}, {"type", unknown->type}};
    } else {
        std::visit(
            [&](const auto& payload) {
                if constexpr (!std::is_same_v<std::decay_t<decltype(payload)>, ServerMessage::Unknown>)
                    frame = payloadOf(payload);
            },
            message.payload());
        frame["v"] = 1;
    }
    return encodeCompact(frame);
}

} // namespace velto::fuzz
