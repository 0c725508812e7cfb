#include "VeltoDesktop/Setup/ArtworkPrefetch.hpp"

#include "VeltoDesktop/Views/RemoteImageCache.hpp"

namespace velto {

std::vector<std::string> ArtworkPrefetch::addresses(const std::vector<Enrollment>& enrollments) {
    std::vector<std::string> addresses;
    for (const auto& enrollment : enrollments) {
        if (enrollment.user.avatarURL)
            addresses.emplace_back(enrollment.user.avatarURL->buffer());
        if (enrollment.organization.avatarURL)
            addresses.emplace_back(enrollment.organization.avatarURL->buffer());
    }
    return addresses;
}

void ArtworkPrefetch::load(RemoteImageCache& cache, const std::vector<Enrollment>& enrollments) {
    for (const auto& address : addresses(enrollments))
        cache.load(address);
}

} // namespace velto
