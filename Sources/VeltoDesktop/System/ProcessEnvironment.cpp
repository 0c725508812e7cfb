#include "VeltoDesktop/System/ProcessEnvironment.hpp"

#include <cstring>
#include <string_view>

extern char** environ;

namespace velto {

Environment ProcessEnvironment::current() {
    Environment environment;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        std::string_view text(*entry);
        auto equals = text.find('=');
        if (equals == std::string_view::npos || equals == 0)
            continue;
        // The first value of a name wins, as getenv reads it.
        environment.emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
    }
    return environment;
}

} // namespace velto
