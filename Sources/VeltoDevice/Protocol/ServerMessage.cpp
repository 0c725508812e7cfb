#include "VeltoDevice/Protocol/ServerMessage.hpp"

#include "VeltoDevice/Protocol/ProtocolError.hpp"
#include "VeltoDevice/Protocol/ProtocolVersion.hpp"
#include "VeltoDevice/Support/Json.hpp"

namespace velto {

namespace {

[[noreturn]] void malformed() {
    throw ProtocolError::malformedMessage();
}

std::string requiredString(const Json& object, std::string_view key) {
    std::optional<std::string> value = json::string(object, key);
    if (!value)
        malformed();
    return std::move(*value);
}

std::int64_t requiredInteger(const Json& object, std::string_view key) {
    std::optional<std::int64_t> value = json::integer(object, key);
    if (!value)
        malformed();
    return *value;
}

bool requiredBoolean(const Json& object, std::string_view key) {
    std::optional<bool> value = json::boolean(object, key);
    if (!value)
        malformed();
    return *value;
}

/// Absent or null gives nothing; any other value must be an object.
const Json* optionalObject(const Json& object, std::string_view key) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return nullptr;
    if (!it->is_object())
        malformed();
    return &*it;
}

std::optional<std::string> optionalString(const Json& object, std::string_view key) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return std::nullopt;
    if (!it->is_string())
        malformed();
    return it->get<std::string>();
}

ServerMessage::Welcome readWelcome(const Json& frame) {
    ServerMessage::Welcome welcome{requiredString(frame, "deviceId"), requiredString(frame, "nonce"),
                                   requiredInteger(frame, "renewWithinMs"), std::nullopt};
    // A profile that does not read leaves the welcome without one; the welcome still counts.
    if (auto it = frame.find("profile"); it != frame.end())
        welcome.profile = DeviceProfile::decode(*it);
    return welcome;
}

ServerMessage::JobOffer readJobOffer(const Json& frame) {
    auto job = frame.find("job");
    if (job == frame.end() || !job->is_object())
        malformed();
    ServerMessage::JobOffer offer;
    offer.jobId = requiredString(*job, "jobId");
    offer.reviewId = optionalString(*job, "reviewId");
    offer.harness = requiredString(*job, "harness");
    if (const Json* repository = optionalObject(*job, "repository"))
        offer.repository = ServerMessage::Repository{requiredString(*repository, "owner"),
                                                     requiredString(*repository, "name")};
    if (const Json* subject = optionalObject(*job, "subject"))
        offer.subject =
            ServerMessage::Subject{requiredString(*subject, "kind"), requiredString(*subject, "id")};
    return offer;
}

ServerMessage decodeObject(const Json& frame) {
    if (!frame.is_object())
        malformed();
    std::int64_t version = requiredInteger(frame, "v");
    std::string type = requiredString(frame, "type");
    if (version != ProtocolVersion::current)
        return ServerMessage::unknown(std::move(type));
    if (type == "welcome")
        return ServerMessage::welcome(readWelcome(frame));
    if (type == "renewed")
        return ServerMessage::renewed(
            {requiredString(frame, "nonce"), requiredInteger(frame, "renewWithinMs")});
    if (type == "job.offer")
        return ServerMessage::jobOffer(readJobOffer(frame));
    if (type == "job.cancel")
        return ServerMessage::jobCancel(requiredString(frame, "jobId"));
    if (type == "tool.result")
        return ServerMessage::toolResult(
            {requiredString(frame, "jobId"), requiredString(frame, "callId"), requiredBoolean(frame, "ok")});
    if (type == "update")
        return ServerMessage::update({requiredString(frame, "version"), requiredString(frame, "url"),
                                      requiredString(frame, "sha256"), requiredString(frame, "signature")});
    return ServerMessage::unknown(std::move(type));
}

} // namespace

const std::set<std::string, std::less<>>& ServerMessage::JobOffer::runnableSubjectKinds() {
    static const std::set<std::string, std::less<>> kinds{"sre-run"};
    return kinds;
}

bool ServerMessage::JobOffer::isRunnable() const {
    if (subject)
        return runnableSubjectKinds().contains(subject->kind);
    return reviewId.has_value() && repository.has_value();
}

std::string ServerMessage::JobOffer::description() const {
    if (subject) {
        if (subject->kind == "sre-run")
            return "SRE run " + subject->id;
        return subject->kind + " " + subject->id;
    }
    if (repository)
        return repository->owner + "/" + repository->name;
    return "a review";
}

ServerMessage ServerMessage::welcome(Welcome welcome) {
    return ServerMessage(std::move(welcome));
}
ServerMessage ServerMessage::renewed(Renewal renewal) {
    return ServerMessage(std::move(renewal));
}
ServerMessage ServerMessage::jobOffer(JobOffer offer) {
    return ServerMessage(std::move(offer));
}
ServerMessage ServerMessage::jobCancel(std::string jobId) {
    return ServerMessage(JobCancel{std::move(jobId)});
}
ServerMessage ServerMessage::toolResult(ToolResult result) {
    return ServerMessage(std::move(result));
}
ServerMessage ServerMessage::update(UpdateOffer offer) {
    return ServerMessage(std::move(offer));
}
ServerMessage ServerMessage::unknown(std::string type) {
    return ServerMessage(Unknown{std::move(type)});
}

ServerMessage ServerMessage::decode(std::string_view text) {
    std::optional<Json> frame = parseJson(text);
    if (!frame)
        malformed();
    try {
        return decodeObject(*frame);
    } catch (const Json::exception&) {
        // Every member is type-checked before it is read; this only guards against a slip.
        malformed();
    }
}

} // namespace velto
