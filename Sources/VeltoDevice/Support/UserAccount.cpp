#include "VeltoDevice/Support/UserAccount.hpp"

#include "VeltoDevice/Support/UserFolders.hpp"

#include <cerrno>
#include <pwd.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace velto {

namespace {

std::optional<std::filesystem::path> absoluteField(const char* value) {
    if (value == nullptr)
        return std::nullopt;
    return UserFolders::absolute(std::string_view(value));
}

} // namespace

UserAccount UserAccount::current() {
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    for (;;) {
        struct passwd entry {};
        struct passwd* found = nullptr;
        int error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || found == nullptr)
            return {};
        return {absoluteField(found->pw_dir), absoluteField(found->pw_shell)};
    }
}

} // namespace velto
