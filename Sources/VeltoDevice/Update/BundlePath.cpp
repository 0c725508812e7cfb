#include "VeltoDevice/Update/BundlePath.hpp"

#include <deque>
#include <sys/stat.h>
#include <system_error>

namespace velto {

namespace {

constexpr int maximumLinks = 40;

std::vector<std::string> split(std::string_view text) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find('/', start);
        pieces.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return pieces;
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
    auto pieces = split(path);
    for (const auto& piece : pieces) {
        if (piece.empty() || piece == "." || piece == "..")
            return {};
    }
    return pieces;
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
    auto pieces = split(target);
    std::deque<std::string> pending(pieces.begin(), pieces.end());
    int linksFollowed = 0;
    while (!pending.empty()) {
        std::string piece = std::move(pending.front());
        pending.pop_front();
        if (piece.empty() || piece == ".")
            continue;
        if (piece == "..") {
            // The part it leaves is a real folder (links are expanded below), so ".." is its parent.
            if (position.empty())
                return false;
            position.pop_back();
            continue;
        }
        position.push_back(std::move(piece));
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
        auto nextPieces = split(next);
        pending.insert(pending.begin(), nextPieces.begin(), nextPieces.end());
    }
    return true;
}

} // namespace velto
