#include "VeltoDevice/Update/UpdateDigest.hpp"

#include "VeltoDevice/Support/FileDescriptor.hpp"
#include "VeltoDevice/Support/Sha256.hpp"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace velto {

namespace {

std::string digestOf(const std::filesystem::path& file, const StopFlag* stop) {
    FileDescriptor input(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (input.get() < 0)
        throw std::system_error(errno, std::generic_category(), "open");
    Sha256 hash;
    std::vector<unsigned char> chunk(UpdateDigest::chunkSize);
    for (;;) {
        if (stop != nullptr)
            stop->throwIfRequested();
        ssize_t count = ::read(input.get(), chunk.data(), chunk.size());
        if (count < 0) {
            if (errno == EINTR)
                continue;
            throw std::system_error(errno, std::generic_category(), "read");
        }
        if (count == 0)
            break;
        hash.update(chunk.data(), static_cast<std::size_t>(count));
    }
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
