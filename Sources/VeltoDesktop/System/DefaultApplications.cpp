#include "VeltoDesktop/System/DefaultApplications.hpp"

#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"

#include <system_error>

namespace velto {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kGroup = "[Default Applications]";
constexpr std::string_view kBlanks = " \t\r";

std::string_view trimmed(std::string_view text) {
    auto begin = text.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
}

char lowered(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameType(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowered(a[i]) != lowered(b[i]))
            return false;
    }
    return true;
}

std::optional<std::string_view> lookup(const Environment& environment, const char* name) {
    auto found = environment.find(name);
    if (found == environment.end())
        return std::nullopt;
    return std::string_view(found->second);
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        auto end = text.find(separator);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            return parts;
        text.remove_prefix(end + 1);
    }
}

std::optional<fs::path> home(const Environment& environment) {
    if (auto named = UserFolders::absolute(lookup(environment, "HOME")))
        return named;
    return UserFolders::home();
}

/// The XDG home folder `name`, else `belowHome` in the home folder.
std::optional<fs::path> homeFolder(const Environment& environment, const char* name, const char* belowHome) {
    if (auto named = UserFolders::absolute(lookup(environment, name)))
        return named;
    if (auto folder = home(environment))
        return *folder / belowHome;
    return std::nullopt;
}

/// The absolute folders of the list `name`, else of `fallback` when it names none.
std::vector<fs::path> folderList(const Environment& environment, const char* name,
                                 std::string_view fallback) {
    std::vector<fs::path> folders;
    auto value = lookup(environment, name);
    for (auto part : split(value && !value->empty() ? *value : fallback, ':')) {
        if (auto folder = UserFolders::absolute(part))
            folders.push_back(std::move(*folder));
    }
    return folders;
}

/// Whether a folder holds the entry `id`, where each "-" may also stand for a subfolder.
bool holds(const fs::path& folder, std::string_view id) {
    std::error_code error;
    if (fs::is_regular_file(folder / std::string(id), error))
        return true;
    for (auto dash = id.find('-'); dash != std::string_view::npos; dash = id.find('-', dash + 1)) {
        // Only folders that are there are searched, so a long id costs no more than the tree.
        auto below = folder / std::string(id.substr(0, dash));
        if (dash > 0 && fs::is_directory(below, error) && holds(below, id.substr(dash + 1)))
            return true;
    }
    return false;
}

bool isInstalled(std::string_view id, const std::vector<fs::path>& folders) {
    if (!id.ends_with(".desktop") || id.find('/') != std::string_view::npos || id.starts_with("."))
        return false;
    for (const auto& folder : folders) {
        if (holds(folder, id))
            return true;
    }
    return false;
}

/// The ids one file lists for the type as its default, in order. A file with a line that is not a key
/// file's names nothing, as desktops then ignore it.
std::vector<std::string> listedDefaults(std::string_view text, std::string_view mimeType) {
    std::vector<std::string> ids;
    bool inGroup = false;
    for (auto line : split(text, '\n')) {
        auto content = trimmed(line);
        if (content.empty() || content.front() == '#')
            continue;
        if (content.front() == '[') {
            if (content.back() != ']')
                return {};
            inGroup = content == kGroup;
            continue;
        }
        auto equals = content.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return {};
        if (!inGroup || !sameType(trimmed(content.substr(0, equals)), mimeType))
            continue;
        for (auto id : split(content.substr(equals + 1), ';')) {
            if (auto name = trimmed(id); !name.empty())
                ids.emplace_back(name);
        }
    }
    return ids;
}

} // namespace

std::vector<fs::path> DefaultApplications::files(const Environment& environment) {
    std::vector<fs::path> folders;
    if (auto config = homeFolder(environment, "XDG_CONFIG_HOME", ".config"))
        folders.push_back(std::move(*config));
    for (auto& folder : folderList(environment, "XDG_CONFIG_DIRS", "/etc/xdg"))
        folders.push_back(std::move(folder));
    for (auto& folder : applicationFolders(environment))
        folders.push_back(std::move(folder));

    std::vector<std::string> desktops;
    if (auto current = lookup(environment, "XDG_CURRENT_DESKTOP")) {
        for (auto name : split(*current, ':')) {
            if (name.empty() || name.find('/') != std::string_view::npos)
                continue;
            std::string lower;
            for (char c : name)
                lower += lowered(c);
            desktops.push_back(std::move(lower));
        }
    }

    std::vector<fs::path> files;
    for (const auto& folder : folders) {
        for (const auto& desktop : desktops)
            files.push_back(folder / (desktop + "-mimeapps.list"));
        files.push_back(folder / "mimeapps.list");
    }
    return files;
}

std::vector<fs::path> DefaultApplications::applicationFolders(const Environment& environment) {
    std::vector<fs::path> folders;
    if (auto data = homeFolder(environment, "XDG_DATA_HOME", ".local/share"))
        folders.push_back(*data / "applications");
    for (auto& folder : folderList(environment, "XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        folders.push_back(folder / "applications");
    return folders;
}

std::optional<std::string> DefaultApplications::handler(std::string_view mimeType,
                                                        const Environment& environment) {
    const auto folders = applicationFolders(environment);
    for (const auto& file : files(environment)) {
        auto text = files::readBounded(file, maximumFileSize);
        if (!text)
            continue;
        for (auto& id : listedDefaults(*text, mimeType)) {
            if (isInstalled(id, folders))
                return std::move(id);
        }
    }
    return std::nullopt;
}

} // namespace velto
