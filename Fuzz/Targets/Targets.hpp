#pragma once

#include <string_view>

namespace velto::fuzz {

// The run functions of the targets listed by fuzzTargets(), one file each.

/// A server frame as the session reads it: decoded, re-encoded and decoded to itself, and cut into a
/// job document or a runner line the way the session does.
void runServerFrame(std::string_view input);
/// A line the runner script printed, translated into a session frame and stamped with a job id.
void runRunnerLine(std::string_view input);
/// An enrollment link, opened or pasted.
void runEnrollmentLink(std::string_view input);
/// A typed enrollment code.
void runEnrollmentCode(std::string_view input);
/// A typed or stored server address, with every endpoint built from it.
void runServerAddress(std::string_view input);
/// The text of "enrollments.json" and of "enrollment.json".
void runEnrollmentFile(std::string_view input);
/// A reply body, read by every client that reads one.
void runReplyBody(std::string_view input);
/// A whole reply as the HTTP transport reads it, then its headers as the signed client reads them.
void runReplyHeaders(std::string_view input);
/// A bundle's Info.plist, XML or binary, as staging and the start read it.
void runInfoPlist(std::string_view input);
/// A URL to connect to (an update download or its redirect, a remote picture), taken apart.
void runConnectionTarget(std::string_view input);
/// A remote picture's bytes, decoded within the application's limits.
void runPicture(std::string_view input);

} // namespace velto::fuzz
