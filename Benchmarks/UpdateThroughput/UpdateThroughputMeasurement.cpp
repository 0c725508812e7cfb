// The update path's two heavy steps against the system's own tools on the same input, as
// throughput (bytes of the archive, or of the bundle, per second of wall time), each against its goal
// of at least 0.7 times the tools' throughput:
//   - download and digest of a 256 MiB archive from the Node peer over loopback TLS, against
//     `openssl s_client` piped into `sha256sum`;
//   - unpacking and manifest check of a 200 MiB bundle of 5,000 files, against `unzip -q` and
//     `sha256sum` over the unpacked tree.
// Each figure is the median of three runs. Exits with 1 when a goal is missed.
//
// Needs VELTO_SOURCE_DIR (the source tree), the peer's packages (npm ci in Tests/EndToEnd), openssl,
// unzip and sha256sum.
#include "VeltoDevice/Support/Log.hpp"
#include "VeltoDevice/Support/StopFlag.hpp"
#include "VeltoDevice/Update/BeastUpdateDownloader.hpp"
#include "VeltoDevice/Update/BundleManifestVerification.hpp"
#include "VeltoDevice/Update/BundleManifestWriter.hpp"
#include "VeltoDevice/Update/UpdateDigest.hpp"
#include "VeltoDevice/Update/ZipUnpacker.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/use_future.hpp>
#include <openssl/rand.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "EndToEndPeer.hpp"
#include "TemporaryFolder.hpp"
#include "ZipWriter.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using Seconds = std::chrono::duration<double>;

constexpr double goal = 0.7;

/// Silences the library's log, which would go to the journal.
class NoLog final : public LogSink {
public:
    void write(LogLevel, std::string_view, std::string_view) override {}
};

std::string randomBytes(std::size_t size) {
    std::string bytes(size, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(size)) != 1)
        throw std::runtime_error("no random bytes");
    return bytes;
}

void writeRandomFile(const fs::path& path, std::size_t size) {
    std::ofstream output(path, std::ios::binary | std::ios::trunc);
    constexpr std::size_t chunk = 1024 * 1024;
    for (std::size_t done = 0; done < size; done += chunk)
        output << randomBytes(std::min(chunk, size - done));
    if (!output)
        throw std::runtime_error("could not write " + path.string());
}

double medianSeconds(const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(Seconds(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[1];
}

void shell(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("the command failed: " + command);
}

std::string quoted(const fs::path& path) {
    std::string text = "'";
    for (char c : path.string())
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

/// Prints one figure; true when it met its goal.
bool report(const char* name, double bytes, double ours, double tools) {
    double ourRate = bytes / ours / (1024 * 1024);
    double toolRate = bytes / tools / (1024 * 1024);
    bool met = ourRate >= goal * toolRate;
    std::cout << std::fixed << std::setprecision(1) << name << ": " << ourRate << " MiB/s against the tools' "
              << toolRate << " MiB/s = " << std::setprecision(2) << ourRate / toolRate << "x (goal at least "
              << goal << "x: " << (met ? "met" : "MISSED") << ")" << std::endl;
    return met;
}

bool measureDownload(const fs::path& work) {
    constexpr std::size_t size = 256 * 1024 * 1024;
    testing::EndToEndPeer peer;
    auto archive = work / "archive.zip";
    writeRandomFile(archive, size);
    peer.control("POST", "/control/updates/file", {{"name", "archive.zip"}, {"path", archive.string()}});

    boost::asio::io_context context;
    BeastUpdateDownloader downloader(BeastUpdateDownloader::Options{.extraTrustAnchor = peer.caFile()});
    auto url = boost::urls::url(peer.baseURL() + "api/updates/file/archive.zip");
    auto destination = work / "download" / "update.zip";
    double ours = medianSeconds([&] {
        fs::remove_all(destination.parent_path());
        fs::create_directories(destination.parent_path());
        auto done =
            boost::asio::co_spawn(context, downloader.download(url, destination), boost::asio::use_future);
        context.restart();
        context.run();
        done.get();
        if (UpdateDigest::sha256Hex(destination).size() != 64)
            throw std::runtime_error("no digest");
    });

    auto request = work / "request.txt";
    std::ofstream(request) << "GET /api/updates/file/archive.zip HTTP/1.1\r\nHost: 127.0.0.1:" << peer.port()
                           << "\r\nConnection: close\r\n\r\n";
    std::string command = "openssl s_client -quiet -connect 127.0.0.1:" + std::to_string(peer.port()) +
                          " -CAfile " + quoted(peer.caFile()) + " < " + quoted(request) +
                          " 2>/dev/null | sha256sum > /dev/null";
    double tools = medianSeconds([&] { shell(command); });
    return report("download and digest of 256 MiB over loopback TLS", size, ours, tools);
}

bool measureUnpacking(const fs::path& work) {
    constexpr std::size_t files = 5000;
    constexpr std::size_t fileSize = 200 * 1024 * 1024 / files;
    auto bundle = work / "source" / "Velto.app";
    for (std::size_t i = 0; i < files; ++i) {
        auto folder = bundle / "Contents" / "Resources" / ("group" + std::to_string(i / 100));
        fs::create_directories(folder);
        std::ofstream(folder / ("file" + std::to_string(i))) << randomBytes(fileSize);
    }
    fs::create_directories(bundle / "Contents" / "bin");
    std::ofstream(bundle / "Contents" / "Info.plist")
        << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleExecutable</key>"
           "<string>velto</string></dict></plist>";
    std::ofstream(bundle / "Contents" / "bin" / "velto") << "#!/bin/sh\n";
    fs::permissions(bundle / "Contents" / "bin" / "velto",
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::others_read | fs::perms::others_exec);
    auto key = Ed25519PrivateKey::generate();
    BundleManifestWriter::write(bundle, key);
    auto archive = work / "bundle.zip";
    {
        testing::ZipWriter zip(archive);
        zip.folder("Velto.app");
        zip.tree(bundle, "Velto.app");
    }

    auto expanded = work / "expanded";
    auto publicKey = std::optional(key.publicKey());
    double ours = medianSeconds([&] {
        fs::remove_all(expanded);
        ZipUnpacker::unpack(archive, expanded, StopFlag());
        BundleManifestVerification::check(expanded / "Velto.app", publicKey, StopFlag());
    });
    std::string command = "rm -rf " + quoted(expanded) + " && unzip -q " + quoted(archive) + " -d " +
                          quoted(expanded) + " && find " + quoted(expanded) +
                          " -type f -exec sha256sum {} + > /dev/null";
    double tools = medianSeconds([&] { shell(command); });
    return report("unpacking and manifest check of 200 MiB in 5,000 files", files * fileSize, ours, tools);
}

} // namespace
} // namespace velto

int main() {
    velto::setLogSink(std::make_shared<velto::NoLog>());
    try {
        velto::testing::TemporaryFolder work;
        bool met = velto::measureDownload(work.path());
        met = velto::measureUnpacking(work.path()) && met;
        return met ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "UpdateThroughputMeasurement: " << error.what() << "\n";
        return 1;
    }
}
