#include "VeltoDevice/Update/UpdateDigest.hpp"

#include "VeltoDevice/Support/FileDescriptor.hpp"

#include <openssl/evp.h>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace velto {

namespace {

std::string digestOf(const std::filesystem::path& file, const StopFlag* stop) {
    FileDescriptor input(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (input.get() < 0)
        throw std::system_error(errno, std::generic_category(), "open");
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("OpenSSL could not start a SHA-256 digest");
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
        EVP_DigestUpdate(context.get(), chunk.data(), static_cast<std::size_t>(count));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1)
        throw std::runtime_error("OpenSSL could not finish a SHA-256 digest");
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0F];
    }
    return text;
}

} // namespace

std::string UpdateDigest::sha256Hex(const std::filesystem::path& file) {
    return digestOf(file, nullptr);
}

std::string UpdateDigest::sha256Hex(const std::filesystem::path& file, const StopFlag& stop) {
    return digestOf(file, &stop);
}

} // namespace velto
