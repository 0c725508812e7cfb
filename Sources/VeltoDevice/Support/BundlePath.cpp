#include "VeltoDevice/Support/BundlePath.hpp"

#include <deque>
#include <sys/stat.h>
#include <system_error>

namespace velto {

namespace {

constexpr int maximumLinks = 40;

std::vector<std::string> split(std::string_view text) {
    std::vector<std::string> segments;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find('/', start);
        segments.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return segments;
        start = end + 1;
    }
}

std::filesystem::path under(const std::filesystem::path& root, const std::vector<std::string>& parts) {
    auto path = root;
    for (const auto& part : parts)
        path /= part;
    return path;
}

} // namespace

std::vector<std::string> BundlePath::parts(std::string_view path) {
    if (path.empty())
        return {};
    auto segments = split(path);
    for (const auto& segment : segments) {
        if (segment.empty() || segment == "." || segment == "..")
            return {};
    }
    return segments;
}

bool BundlePath::linkStaysInside(const std::filesystem::path& root, std::string_view link) {
    auto position = parts(link);
    if (position.empty())
        return false;
    std::error_code error;
    auto target = std::filesystem::read_symlink(under(root, position), error).string();
    if (error || target.empty() || target.front() == '/')
        return false;
    position.pop_back();
    auto segments = split(target);
    std::deque<std::string> pending(segments.begin(), segments.end());
    int linksFollowed = 0;
    while (!pending.empty()) {
        std::string segment = std::move(pending.front());
        pending.pop_front();
        if (segment.empty() || segment == ".")
            continue;
        if (segment == "..") {
            // The part it leaves is a real folder (links are expanded below), so ".." is its parent.
            if (position.empty())
                return false;
            position.pop_back();
            continue;
        }
        position.push_back(std::move(segment));
        auto path = under(root, position);
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            continue;
        if (++linksFollowed > maximumLinks)
            return false;
        auto next = std::filesystem::read_symlink(path, error).string();
        if (error || next.empty() || next.front() == '/')
            return false;
        position.pop_back();
        auto nextSegments = split(next);
        pending.insert(pending.begin(), nextSegments.begin(), nextSegments.end());
    }
    return true;
}

} // namespace velto
