#include "VeltoDevice/Enrollment/HarnessKind.hpp"

namespace velto {

std::string_view rawValue(HarnessKind kind) {
    switch (kind) {
    case HarnessKind::claudeCode:
        return "claude-code";
    case HarnessKind::codex:
        return "codex";
    case HarnessKind::muse:
        return "muse";
    }
    return {};
}

std::optional<HarnessKind> harnessKindFromRawValue(std::string_view text) {
    for (HarnessKind kind : allHarnessKinds) {
        if (rawValue(kind) == text)
            return kind;
    }
    return std::nullopt;
}

std::string_view executableName(HarnessKind kind) {
    switch (kind) {
    case HarnessKind::claudeCode:
        return "claude";
    case HarnessKind::codex:
        return "codex";
    case HarnessKind::muse:
        return "muse";
    }
    return {};
}

std::string_view displayName(HarnessKind kind) {
    switch (kind) {
    case HarnessKind::claudeCode:
        return "Claude Code";
    case HarnessKind::codex:
        return "Codex";
    case HarnessKind::muse:
        return "Muse";
    }
    return {};
}

} // namespace velto
