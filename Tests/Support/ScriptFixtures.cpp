#include "ScriptFixtures.hpp"

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>

namespace velto::testing {

std::filesystem::path writeExecutable(const std::filesystem::path& path, std::string_view body) {
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << body;
        if (!file)
            throw std::runtime_error("could not write " + path.string());
    }
    if (::chmod(path.c_str(), 0755) != 0)
        throw std::runtime_error("could not make " + path.string() + " executable");
    return path;
}

std::filesystem::path writeShellScript(const std::filesystem::path& path, std::string_view body) {
    return writeExecutable(path, "#!/bin/sh\n" + std::string(body));
}

std::optional<std::string> readText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::optional<pid_t> readPid(const std::filesystem::path& path) {
    auto text = readText(path);
    if (!text)
        return std::nullopt;
    auto end = text->find('\n');
    if (end == std::string::npos || end == 0)
        return std::nullopt;
    return static_cast<pid_t>(std::stol(text->substr(0, end)));
}

bool isGone(pid_t pid) {
    auto stat = readText("/proc/" + std::to_string(pid) + "/stat");
    if (!stat)
        return true;
    // The state follows the command name, which is in parentheses and may hold spaces.
    auto close = stat->rfind(')');
    return close != std::string::npos && close + 2 < stat->size() && (*stat)[close + 2] == 'Z';
}

bool becomesGone(pid_t pid) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!isGone(pid)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace velto::testing
