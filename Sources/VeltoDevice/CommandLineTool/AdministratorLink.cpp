#include "VeltoDevice/CommandLineTool/AdministratorLink.hpp"

#include "VeltoDevice/CommandLineTool/CommandLineToolError.hpp"
#include "VeltoDevice/Support/UnicodeText.hpp"

namespace velto {

std::vector<std::string> AdministratorLink::arguments(const std::filesystem::path& link,
                                                      const std::filesystem::path& target) {
    return {"/bin/sh",      "-c",          std::string(script),
            "velto-link",   link.string(), link.parent_path().string(),
            target.string()};
}

void AdministratorLink::outcome(const ProcessOutput& output) {
    switch (output.exitCode) {
    case 0:
        return;
    case dismissedStatus:
        throw CommandLineToolError::cancelled();
    case takenStatus:
        throw CommandLineToolError::takenMeanwhile();
    default:
        throw CommandLineToolError::failed(std::string(unicode::trimmingWhitespace(output.standardError)));
    }
}

} // namespace velto
