#pragma once

#include <fstream>
#include <string>

namespace velto::benchmarks {

/// A field of /proc/<process>/status in MiB ("VmRSS", "VmHWM"); 0 when it cannot be read.
inline double statusMiB(const std::string& field, const std::string& process = "self") {
    std::ifstream status("/proc/" + process + "/status");
    std::string name;
    while (status >> name) {
        if (name == field + ":") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
        std::getline(status, name);
    }
    return 0;
}

/// Starts a new peak: VmHWM falls back to the resident memory of now.
inline void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace velto::benchmarks
