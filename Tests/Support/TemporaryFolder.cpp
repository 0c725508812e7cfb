#include "TemporaryFolder.hpp"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <system_error>

namespace velto::testing {

TemporaryFolder::TemporaryFolder() {
    auto pattern = (std::filesystem::temp_directory_path() / "velto-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("could not make a temporary folder: " + std::string(std::strerror(errno)));
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace velto::testing
