#pragma once

#include "VeltoDevice/Enrollment/HarnessReport.hpp"
#include "VeltoDevice/Protocol/JobDeclineReason.hpp"
#include "VeltoDevice/Protocol/RunnerGeneration.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velto {

/// A frame the Mac sends on its session: hello, proof, job accept or job decline.
class DeviceMessage {
public:
    /// What the Mac announces about itself; compared to avoid sending the same hello twice.
    struct Hello {
        std::string appVersion;
        std::vector<HarnessReport> harnesses;
        /// How many jobs the Mac takes at once.
        int capacity = 0;
        /// The runner generation.
        int runner = RunnerGeneration::first;

        /// The four keys; "harnesses" always, [] when empty.
        Json toJson() const;
        /// Nothing unless all four keys are present with their types and every report decodes.
        static std::optional<Hello> decode(const Json& value);

        friend bool operator==(const Hello&, const Hello&) = default;
    };

    struct Proof {
        /// The server nonce being answered.
        std::string nonce;
        /// A DPoP proof for that nonce.
        std::string proof;

        friend bool operator==(const Proof&, const Proof&) = default;
    };

    struct JobAccept {
        std::string jobId;

        friend bool operator==(const JobAccept&, const JobAccept&) = default;
    };

    struct JobDecline {
        std::string jobId;
        JobDeclineReason reason = JobDeclineReason::notSupported;

        friend bool operator==(const JobDecline&, const JobDecline&) = default;
    };

    /// In the order of the payload's alternatives.
    enum class Case { hello, proof, jobAccept, jobDecline };

    using Payload = std::variant<Hello, Proof, JobAccept, JobDecline>;

    static DeviceMessage hello(Hello hello);
    static DeviceMessage proof(std::string nonce, std::string proof);
    static DeviceMessage jobAccept(std::string jobId);
    static DeviceMessage jobDecline(std::string jobId, JobDeclineReason reason);

    Case kind() const { return static_cast<Case>(payload_.index()); }
    const Payload& payload() const { return payload_; }
    /// The payload when it is a `T`, else null.
    template <typename T> const T* as() const { return std::get_if<T>(&payload_); }

    /// "hello", "proof", "job.accept" or "job.decline".
    std::string_view type() const;

    /// One flat JSON object with "v": 1 and "type", keys sorted, slashes unescaped, no spaces.
    /// Never fails: text that is not valid UTF-8 is written as U+FFFD.
    std::string encodedFrame() const;

    friend bool operator==(const DeviceMessage&, const DeviceMessage&) = default;

private:
    explicit DeviceMessage(Payload payload) : payload_(std::move(payload)) {}

    Payload payload_;
};

} // namespace velto
