#include "VeltoDevice/Connection/AcceptedJobs.hpp"

#include <algorithm>

namespace velto {

bool AcceptedJobs::append(const std::string& jobId) {
    std::lock_guard lock(mutex_);
    if (std::find(jobIds_.begin(), jobIds_.end(), jobId) != jobIds_.end())
        return false;
    jobIds_.push_back(jobId);
    return true;
}

bool AcceptedJobs::contains(std::string_view jobId) const {
    std::lock_guard lock(mutex_);
    return std::find(jobIds_.begin(), jobIds_.end(), jobId) != jobIds_.end();
}

std::vector<std::string> AcceptedJobs::jobIds() const {
    std::lock_guard lock(mutex_);
    return jobIds_;
}

} // namespace velto
