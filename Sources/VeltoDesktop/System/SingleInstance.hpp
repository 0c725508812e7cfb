#pragma once

#include "VeltoDevice/Support/FileDescriptor.hpp"

#include <QLockFile>
#include <QObject>
#include <QString>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QSocketNotifier;

namespace velto {

/// One running instance per user: the first start holds a lock file and listens on a local socket in
/// the private runtime folder; a later start hands its links to it as one JSON line,
/// {"links": [...]}, waits for the answer {"ok": true} and exits. A line longer than `maximumLine`, or
/// one that is not such an object, is answered {"error": ...} and dropped whole. Main thread only.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t maximumLine = 64 * 1024;
    /// How long a later start waits for the running one to listen and answer.
    static constexpr std::chrono::milliseconds forwardTimeout{5000};

    enum class Claim {
        /// This process is the instance: it listens for later starts.
        primary,
        /// Another instance runs and took the links.
        forwarded,
        /// Another instance runs but could not be reached, or the folder cannot be used.
        failed
    };

    /// The lock "app.velto.desktop.lock" and the socket "app.velto.desktop.socket" in `folder`.
    explicit SingleInstance(std::filesystem::path folder);
    ~SingleInstance() override;

    /// $XDG_RUNTIME_DIR, else the checked private folder under /tmp; nothing when neither can be used.
    static std::optional<std::filesystem::path> standardFolder();

    /// Becomes the instance, or forwards `links` to the one that runs.
    Claim claim(const std::vector<std::string>& links);

    /// The line a later start sends.
    static std::string encode(const std::vector<std::string>& links);
    /// The links of a received line (without its line feed); nothing when it is not a links object of
    /// strings no longer than `maximumLine` each.
    static std::optional<std::vector<std::string>> decode(std::string_view line);

    const std::filesystem::path& socketPath() const { return socket_; }

Q_SIGNALS:
    /// A later start's links, whole and in order.
    void linksReceived(std::vector<std::string> links);

private:
    bool listen();
    void accept();
    /// A later start's connection while its line comes in.
    struct ForwardedLine;
    void read(const std::shared_ptr<ForwardedLine>& line);
    Claim forward(const std::vector<std::string>& links);

    std::filesystem::path folder_;
    std::filesystem::path socket_;
    std::unique_ptr<QLockFile> lock_;
    FileDescriptor listener_;
    QSocketNotifier* accepting_ = nullptr;
};

} // namespace velto
