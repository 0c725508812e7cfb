#pragma once

#include "VeltoDevice/Support/Error.hpp"

#include <string>

namespace velto {

/// Why a command gave no result; each case carries the command's name (the executable's last path
/// component, such as "node" or "zsh").
class HarnessError : public Error {
public:
    enum class Case { launchFailed, timedOut };

    /// "<name> could not be started."
    static HarnessError launchFailed(std::string name);
    /// "<name> did not answer in time."
    static HarnessError timedOut(std::string name);

    Case kind() const { return kind_; }
    const std::string& name() const { return name_; }

    friend bool operator==(const HarnessError& a, const HarnessError& b) {
        return a.kind_ == b.kind_ && a.name_ == b.name_;
    }

private:
    HarnessError(Case kind, std::string name);

    Case kind_;
    std::string name_;
};

} // namespace velto
