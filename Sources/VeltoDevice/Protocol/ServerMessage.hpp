#pragma once

#include "VeltoDevice/Enrollment/DeviceProfile.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>

namespace velto {

/// A frame the server sends on the session. Frames of another protocol version or of a type this
/// version does not handle are `unknown`.
class ServerMessage {
public:
    struct Welcome {
        /// The server's id of this Mac.
        std::string deviceId;
        /// The first nonce to answer.
        std::string nonce;
        std::int64_t renewWithinMs = 0;
        /// Absent when the frame carries none, or none that reads as a profile.
        std::optional<DeviceProfile> profile;

        friend bool operator==(const Welcome&, const Welcome&) = default;
    };

    struct Renewal {
        /// The next nonce to answer.
        std::string nonce;
        std::int64_t renewWithinMs = 0;

        friend bool operator==(const Renewal&, const Renewal&) = default;
    };

    struct Repository {
        std::string owner;
        std::string name;

        friend bool operator==(const Repository&, const Repository&) = default;
    };

    struct Subject {
        std::string kind;
        std::string id;

        friend bool operator==(const Subject&, const Subject&) = default;
    };

    struct JobOffer {
        std::string jobId;
        std::optional<std::string> reviewId;
        /// The tool's kind as the server wrote it.
        std::string harness;
        std::optional<Repository> repository;
        std::optional<Subject> subject;

        /// The subject kinds this Mac runs: exactly "sre-run".
        static const std::set<std::string, std::less<>>& runnableSubjectKinds();

        /// With a subject, whether its kind is runnable; without, whether it names a review and its
        /// repository.
        bool isRunnable() const;

        /// How log lines name the offer: "SRE run <id>", "<kind> <id>", "<owner>/<name>" or "a review".
        std::string description() const;

        friend bool operator==(const JobOffer&, const JobOffer&) = default;
    };

    struct JobCancel {
        std::string jobId;

        friend bool operator==(const JobCancel&, const JobCancel&) = default;
    };

    /// The keys that route a tool result; the rest travels on in the raw frame.
    struct ToolResult {
        std::string jobId;
        std::string callId;
        bool ok = false;

        friend bool operator==(const ToolResult&, const ToolResult&) = default;
    };

    struct UpdateOffer {
        /// The offered version text.
        std::string version;
        /// Where the archive is downloaded.
        std::string url;
        /// The archive's digest.
        std::string sha256;
        /// The signature over the offer's strings.
        std::string signature;

        friend bool operator==(const UpdateOffer&, const UpdateOffer&) = default;
    };

    struct Unknown {
        /// The frame's "type" text.
        std::string type;

        friend bool operator==(const Unknown&, const Unknown&) = default;
    };

    /// In the order of the payload's alternatives.
    enum class Case { welcome, renewed, jobOffer, jobCancel, toolResult, update, unknown };

    using Payload = std::variant<Welcome, Renewal, JobOffer, JobCancel, ToolResult, UpdateOffer, Unknown>;

    static ServerMessage welcome(Welcome welcome);
    static ServerMessage renewed(Renewal renewal);
    static ServerMessage jobOffer(JobOffer offer);
    static ServerMessage jobCancel(std::string jobId);
    static ServerMessage toolResult(ToolResult result);
    static ServerMessage update(UpdateOffer offer);
    static ServerMessage unknown(std::string type);

    /// Reads one frame text; throws ProtocolError::malformedMessage for anything unreadable: not JSON
    /// (invalid UTF-8 included), not an object, "v" or "type" missing or mistyped, or a handled type
    /// whose keys do not have their JSON types.
    static ServerMessage decode(std::string_view text);

    Case kind() const { return static_cast<Case>(payload_.index()); }
    const Payload& payload() const { return payload_; }
    /// The payload when it is a `T`, else null.
    template <typename T> const T* as() const { return std::get_if<T>(&payload_); }

    friend bool operator==(const ServerMessage&, const ServerMessage&) = default;

private:
    explicit ServerMessage(Payload payload) : payload_(std::move(payload)) {}

    Payload payload_;
};

} // namespace velto
