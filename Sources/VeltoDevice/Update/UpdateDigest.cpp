#include "VeltoDevice/Update/UpdateDigest.hpp"

#include "VeltoDevice/Support/FileDescriptor.hpp"
#include "VeltoDevice/Support/Sha256.hpp"

#include <cerrno>
#include <fcntl.h>
#include <system_error>

namespace velto {

namespace {

std::string digestOf(const std::filesystem::path& file, const StopFlag* stop) {
    FileDescriptor input(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (input.get() < 0)
        throw std::system_error(errno, std::generic_category(), "open");
    Sha256 hash;
    if (!hash.feed(input.get(), UpdateDigest::chunkSize, stop))
        throw std::system_error(errno, std::generic_category(), "read");
    return Sha256::hex(hash.finish());
}

} // namespace

std::string UpdateDigest::sha256Hex(const std::filesystem::path& file) {
    return digestOf(file, nullptr);
}

std::string UpdateDigest::sha256Hex(const std::filesystem::path& file, const StopFlag& stop) {
    return digestOf(file, &stop);
}

} // namespace velto
