#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include <string>
#include <vector>

namespace velto {

class RemoteImageCache;

/// The organizations' and users' pictures fetched ahead, so that the steps show them at once.
struct ArtworkPrefetch {
    /// For each enrollment in order: the user's picture, then the organization's; absent ones left out.
    static std::vector<std::string> addresses(const std::vector<Enrollment>& enrollments);
    /// Asks the cache for each address in order; what it keeps or is fetching already is not fetched
    /// again, and it refuses what it may not fetch.
    static void load(RemoteImageCache& cache, const std::vector<Enrollment>& enrollments);
};

} // namespace velto
