#pragma once

#include "VeltoDevice/Support/Error.hpp"

#include <string>

namespace velto {

/// A failure of making the command's link: `failed` carries the sentence the refusal ends with; the
/// other two only steer the install (ask for an administrator, report a dismissed prompt).
class CommandLineToolError : public Error {
public:
    enum class Case { failed, needsAdministrator, cancelled };

    static CommandLineToolError failed(std::string text) { return {Case::failed, std::move(text)}; }
    /// `failed`: something other than our link came to the link's place after its state was read.
    static CommandLineToolError takenMeanwhile() {
        return failed("Another program is there now. Remove it, then install again.");
    }
    static CommandLineToolError needsAdministrator() {
        return {Case::needsAdministrator, "Linking the velto command needs an administrator."};
    }
    static CommandLineToolError cancelled() {
        return {Case::cancelled, "The administrator prompt was dismissed."};
    }

    Case kind() const { return kind_; }

    friend bool operator==(const CommandLineToolError& a, const CommandLineToolError& b) {
        return a.kind_ == b.kind_ && a.description() == b.description();
    }

private:
    CommandLineToolError(Case kind, std::string text) : Error(std::move(text)), kind_(kind) {}

    Case kind_;
};

} // namespace velto
