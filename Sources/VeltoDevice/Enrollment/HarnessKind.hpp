#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace velto {

/// A coding-agent command-line tool ("harness") that jobs can run on. Encodes as its raw value.
enum class HarnessKind { claudeCode, codex, muse };

/// Every kind, in the order of detection and display.
inline constexpr std::array<HarnessKind, 3> allHarnessKinds{HarnessKind::claudeCode, HarnessKind::codex,
                                                            HarnessKind::muse};

/// "claude-code", "codex", "muse".
std::string_view rawValue(HarnessKind kind);
/// Exactly one of the three raw values (case-sensitive), else nothing.
std::optional<HarnessKind> harnessKindFromRawValue(std::string_view text);
/// The command looked up on the login PATH: "claude", "codex", "muse".
std::string_view executableName(HarnessKind kind);
/// The name shown to the user: "Claude Code", "Codex", "Muse".
std::string_view displayName(HarnessKind kind);

} // namespace velto
