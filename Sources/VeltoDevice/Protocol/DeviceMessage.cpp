#include "VeltoDevice/Protocol/DeviceMessage.hpp"

#include "VeltoDevice/Protocol/ProtocolVersion.hpp"

#include <cstdint>
#include <limits>
#include <type_traits>

namespace velto {

namespace {

std::optional<int> intMember(const Json& object, std::string_view key) {
    std::optional<std::int64_t> value = json::integer(object, key);
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*value);
}

} // namespace

Json DeviceMessage::Hello::toJson() const {
    Json reports = Json::array();
    for (const HarnessReport& report : harnesses)
        reports.push_back(report.toJson());
    Json object = Json::object();
    object["appVersion"] = appVersion;
    object["harnesses"] = std::move(reports);
    object["capacity"] = capacity;
    object["runner"] = runner;
    return object;
}

std::optional<DeviceMessage::Hello> DeviceMessage::Hello::decode(const Json& value) {
    std::optional<std::string> appVersion = json::string(value, "appVersion");
    std::optional<int> capacity = intMember(value, "capacity");
    std::optional<int> runner = intMember(value, "runner");
    if (!appVersion || !capacity || !runner)
        return std::nullopt;
    auto reports = value.find("harnesses");
    if (reports == value.end() || !reports->is_array())
        return std::nullopt;
    Hello hello{std::move(*appVersion), {}, *capacity, *runner};
    hello.harnesses.reserve(reports->size());
    for (const Json& element : *reports) {
        std::optional<HarnessReport> report = HarnessReport::decode(element);
        if (!report)
            return std::nullopt;
        hello.harnesses.push_back(std::move(*report));
    }
    return hello;
}

DeviceMessage DeviceMessage::hello(Hello hello) {
    return DeviceMessage(std::move(hello));
}

DeviceMessage DeviceMessage::proof(std::string nonce, std::string proof) {
    return DeviceMessage(Proof{std::move(nonce), std::move(proof)});
}

DeviceMessage DeviceMessage::jobAccept(std::string jobId) {
    return DeviceMessage(JobAccept{std::move(jobId)});
}

DeviceMessage DeviceMessage::jobDecline(std::string jobId, JobDeclineReason reason) {
    return DeviceMessage(JobDecline{std::move(jobId), reason});
}

std::string_view DeviceMessage::type() const {
    switch (kind()) {
    case Case::hello:
        return "hello";
    case Case::proof:
        return "proof";
    case Case::jobAccept:
        return "job.accept";
    case Case::jobDecline:
        return "job.decline";
    }
    return {};
}

std::string DeviceMessage::encodedFrame() const {
    Json frame = std::visit(
        [](const auto& payload) -> Json {
            using T = std::decay_t<decltype(payload)>;
            if constexpr (std::is_same_v<T, Hello>) {
                return payload.toJson();
            } else if constexpr (std::is_same_v<T, Proof>) {
                return {{"nonce", payload.nonce}, {"proof", payload.proof}};
            } else if constexpr (std::is_same_v<T, JobAccept>) {
                return {{"jobId", payload.jobId}};
            } else {
                return {{"jobId", payload.jobId}, {"reason", rawValue(payload.reason)}};
            }
        },
        payload_);
    frame["v"] = ProtocolVersion::current;
    frame["type"] = type();
    // The session's own frames never fail to be written: a text that is not UTF-8 (a tool's output
    // in the hello, say) goes out as U+FFFD rather than ending every session before its welcome.
    return encodeCompactRepaired(frame);
}

} // namespace velto
