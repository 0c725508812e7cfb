#pragma once

#include "VeltoDevice/Harness/LoginPathResolving.hpp"

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velto::testing {

/// The login shell's PATH without asking a shell: `path` when set, else this process's own PATH.
/// Counts the questions and keeps the environment each came with. Header-only: only programs that
/// link the harness area use it.
class FixedLoginPath final : public LoginPathResolving {
public:
    FixedLoginPath() = default;
    explicit FixedLoginPath(std::string fixed) : path(std::move(fixed)) {}

    std::optional<std::string> path;
    int asked = 0;
    std::vector<Environment> seen;

    boost::asio::awaitable<std::string> resolve(Environment environment) override {
        ++asked;
        seen.push_back(std::move(environment));
        if (path)
            co_return *path;
        const char* own = std::getenv("PATH");
        co_return own ? own : "/usr/bin:/bin";
    }
};

} // namespace velto::testing
