#include "VeltoDevice/Update/AppVersion.hpp"

#include <algorithm>
#include <charconv>

namespace velto {

std::optional<AppVersion> AppVersion::parse(std::string_view text) {
    std::vector<std::int64_t> components;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find('.', start);
        std::string_view segment = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (segment.empty() ||
            !std::all_of(segment.begin(), segment.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        std::int64_t value = 0;
        auto [last, error] = std::from_chars(segment.data(), segment.data() + segment.size(), value);
        if (error != std::errc{} || last != segment.data() + segment.size())
            return std::nullopt;
        components.push_back(value);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    while (!components.empty() && components.back() == 0)
        components.pop_back();
    return AppVersion(std::string(text), std::move(components));
}

const AppVersion& AppVersion::zero() {
    static const AppVersion version("0.0.0", {});
    return version;
}

bool operator<(const AppVersion& a, const AppVersion& b) {
    std::size_t length = std::max(a.components_.size(), b.components_.size());
    for (std::size_t i = 0; i < length; ++i) {
        std::int64_t left = i < a.components_.size() ? a.components_[i] : 0;
        std::int64_t right = i < b.components_.size() ? b.components_[i] : 0;
        if (left != right)
            return left < right;
    }
    return false;
}

std::size_t AppVersion::hash() const {
    std::size_t seed = std::hash<std::size_t>{}(components_.size());
    for (std::int64_t component : components_)
        seed ^= std::hash<std::int64_t>{}(component) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    return seed;
}

} // namespace velto
