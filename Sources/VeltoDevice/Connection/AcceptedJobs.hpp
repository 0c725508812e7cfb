#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// The ids of the jobs one session accepted, in the order first accepted, each once. Nothing is
/// ever removed: the session cancels them all when it ends, and acts on the server's cancellations
/// and tool results only for ids listed here.
class AcceptedJobs {
public:
    /// Adds `jobId` unless it is listed already; true when it was added.
    bool append(const std::string& jobId);
    bool contains(std::string_view jobId) const;
    /// A copy of the list.
    std::vector<std::string> jobIds() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> jobIds_;
};

} // namespace velto
