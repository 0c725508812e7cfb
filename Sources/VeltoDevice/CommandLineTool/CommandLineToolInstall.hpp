#pragma once

#include <string>

namespace velto {

/// What installing the velto command came to.
struct CommandLineToolInstall {
    enum class Case { refused, installed, cancelled };

    Case kind = Case::installed;
    /// The one sentence of `refused`; empty otherwise.
    std::string message;

    static CommandLineToolInstall refused(std::string message) { return {Case::refused, std::move(message)}; }
    static CommandLineToolInstall installed() { return {Case::installed, {}}; }
    /// The user dismissed the administrator prompt.
    static CommandLineToolInstall cancelled() { return {Case::cancelled, {}}; }

    friend bool operator==(const CommandLineToolInstall&, const CommandLineToolInstall&) = default;
};

} // namespace velto
