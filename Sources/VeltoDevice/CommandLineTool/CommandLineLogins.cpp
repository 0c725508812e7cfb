#include "VeltoDevice/CommandLineTool/CommandLineLogins.hpp"

#include "VeltoDevice/CommandLineTool/CommandLineLoginError.hpp"
#include "VeltoDevice/Support/FileError.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/Json.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace velto {

namespace {

/// Makes the folder and the missing ones above it, each new one with mode 0700 whatever the umask.
void createPrivateFolders(const std::filesystem::path& folder) {
    std::filesystem::path prefix;
    for (const auto& component : folder) {
        prefix /= component;
        if (::mkdir(prefix.c_str(), 0700) == 0) {
            if (::chmod(prefix.c_str(), 0700) != 0)
                throw FileError::createFolder(prefix.string(), FileError::describe(errno));
            continue;
        }
        int error = errno;
        struct stat status {};
        if (error != EEXIST || ::stat(prefix.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            throw FileError::createFolder(prefix.string(),
                                          FileError::describe(error == EEXIST ? ENOTDIR : error));
    }
}

} // namespace

CommandLineLogins CommandLineLogins::inHome() {
    auto home = UserFolders::home();
    if (!home)
        throw FileError::noHomeFolder();
    return CommandLineLogins(*home / ".velto" / "device-logins.json");
}

std::vector<CommandLineLogin> CommandLineLogins::logins() const {
    auto content = files::readBounded(file_, maximumFileSize);
    auto value = content ? parseJson(*content) : std::nullopt;
    if (!value || !value->is_object())
        return {};
    auto list = value->find("logins");
    if (list == value->end() || !list->is_array())
        return {};
    std::vector<CommandLineLogin> result;
    result.reserve(list->size());
    for (const auto& element : *list) {
        auto login = CommandLineLogin::decode(element);
        if (!login)
            return {};
        result.push_back(std::move(*login));
    }
    return result;
}

void CommandLineLogins::keep(const CommandLineLogin& login) {
    auto stored = logins();
    auto same = std::find_if(stored.begin(), stored.end(),
                             [&](const CommandLineLogin& other) { return other.deviceId == login.deviceId; });
    if (same != stored.end())
        *same = login;
    else
        stored.push_back(login);
    write(stored);
}

void CommandLineLogins::forget(const std::string& deviceId) {
    std::set<std::string> others;
    for (const auto& login : logins()) {
        if (login.deviceId != deviceId)
            others.insert(login.deviceId);
    }
    keepOnly(others);
}

void CommandLineLogins::keepOnly(const std::set<std::string>& deviceIds) {
    auto stored = logins();
    auto before = stored.size();
    std::erase_if(stored, [&](const CommandLineLogin& login) { return !deviceIds.contains(login.deviceId); });
    if (stored.size() == before && !stored.empty())
        return;
    write(stored);
}

void CommandLineLogins::write(const std::vector<CommandLineLogin>& logins) const {
    if (logins.empty()) {
        files::removeIfPresent(file_);
        return;
    }
    Json list = Json::array();
    for (const auto& login : logins)
        list.push_back(login.toJson());
    std::string text;
    try {
        text = encodePretty(Json{{"logins", std::move(list)}});
    } catch (const Json::exception&) {
        throw CommandLineLoginError::unwritable("a login is not UTF-8 text");
    }
    createPrivateFolders(file_.parent_path());
    try {
        files::writeAtomically(file_, text);
    } catch (const FileError& error) {
        throw CommandLineLoginError::unwritable(error.detail());
    }
}

} // namespace velto
