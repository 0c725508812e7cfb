#include "VeltoDesktop/System/SingleInstance.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/System/UnixSocket.hpp"
#include "VeltoDevice/Support/Json.hpp"
#include "VeltoDevice/Support/PrivateTemporaryFolder.hpp"

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <exception>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace velto {

namespace {

const std::string okLine = "{\"ok\":true}\n";

/// A connection that says nothing is closed after this long.
constexpr int idleMilliseconds = 10000;

/// An answer is a few bytes: it fits the socket's buffer, so a short wait is only for a stuck peer.
constexpr std::chrono::milliseconds answerTimeout{1000};

std::string errorLine(std::string_view reason) {
    return encodeCompact(Json{{"error", reason}}) + "\n";
}

} // namespace

struct SingleInstance::ForwardedLine {
    FileDescriptor socket;
    std::string buffer;
    QSocketNotifier* readable = nullptr;

    /// Answers once and lets the connection go: its notifier, timer and descriptor with it.
    void answer(const std::string& line) {
        unixSocket::sendAll(socket.get(), line, std::chrono::steady_clock::now() + answerTimeout);
        close();
    }
    void close() {
        if (!readable)
            return;
        readable->setEnabled(false);
        readable->deleteLater();
        readable = nullptr;
    }
};

SingleInstance::SingleInstance(std::filesystem::path folder)
    : folder_(std::move(folder)), socket_(folder_ / "app.velto.desktop.socket") {}

SingleInstance::~SingleInstance() {
    delete accepting_; // before the descriptor it watches closes
    if (listener_.isOpen())
        ::unlink(socket_.c_str());
}

std::optional<std::filesystem::path> SingleInstance::standardFolder() {
    try {
        return PrivateTemporaryFolder::path();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string SingleInstance::encode(const std::vector<std::string>& links) {
    return encodeCompact(Json{{"links", links}}) + "\n";
}

std::optional<std::vector<std::string>> SingleInstance::decode(std::string_view line) {
    if (line.size() > maximumLine)
        return std::nullopt;
    auto value = parseJson(line);
    if (!value || !value->is_object())
        return std::nullopt;
    auto links = value->find("links");
    if (links == value->end() || !links->is_array())
        return std::nullopt;
    std::vector<std::string> decoded;
    for (const auto& link : *links) {
        if (!link.is_string() || link.get_ref<const std::string&>().size() > maximumLine)
            return std::nullopt;
        decoded.push_back(link.get<std::string>());
    }
    return decoded;
}

SingleInstance::Claim SingleInstance::claim(const std::vector<std::string>& links) {
    lock_ =
        std::make_unique<QLockFile>(QString::fromStdString((folder_ / "app.velto.desktop.lock").string()));
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return listen() ? Claim::primary : Claim::failed;
    if (lock_->error() != QLockFile::LockFailedError) {
        appLog().error("cannot take the instance lock");
        return Claim::failed;
    }
    return forward(links);
}

bool SingleInstance::listen() {
    // The lock is ours, so a socket file left there belongs to an instance that is gone.
    ::unlink(socket_.c_str());
    listener_ = unixSocket::listenAt(socket_);
    if (!listener_.isOpen()) {
        appLog().error(std::string("cannot listen for later starts: ") + std::strerror(errno));
        return false;
    }
    accepting_ = new QSocketNotifier(listener_.get(), QSocketNotifier::Read, this);
    QObject::connect(accepting_, &QSocketNotifier::activated, this, [this] { accept(); });
    return true;
}

void SingleInstance::accept() {
    for (;;) {
        FileDescriptor accepted(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!accepted.isOpen())
            return; // nothing more waits (or the peer left before it was taken)
        auto line = std::make_shared<ForwardedLine>();
        line->socket = std::move(accepted);
        line->readable = new QSocketNotifier(line->socket.get(), QSocketNotifier::Read, this);
        // The notifier's slots hold the line: it lives until the notifier is deleted.
        auto* idle = new QTimer(line->readable);
        idle->setSingleShot(true);
        QObject::connect(idle, &QTimer::timeout, line->readable, [line] { line->close(); });
        idle->start(idleMilliseconds);
        QObject::connect(line->readable, &QSocketNotifier::activated, this, [this, line] { read(line); });
    }
}

void SingleInstance::read(const std::shared_ptr<ForwardedLine>& line) {
    if (!line->readable)
        return;
    const bool open = unixSocket::receiveAvailable(line->socket.get(), line->buffer, maximumLine);
    auto end = line->buffer.find('\n');
    if (end == std::string::npos) {
        if (line->buffer.size() > maximumLine) {
            appLog().error("refused a forwarded line over 64 KiB");
            line->answer(errorLine("the line is too long"));
        } else if (!open) {
            line->close();
        }
        return;
    }
    auto links = decode(std::string_view(line->buffer).substr(0, end));
    if (!links) {
        appLog().error("refused a forwarded line that is not a list of links");
        line->answer(errorLine("the line is not a list of links"));
        return;
    }
    line->answer(okLine);
    Q_EMIT linksReceived(std::move(*links));
}

SingleInstance::Claim SingleInstance::forward(const std::vector<std::string>& links) {
    const auto line = encode(links);
    if (line.size() > maximumLine + 1) {
        appLog().error("the links are too long to hand to the running instance");
        return Claim::failed;
    }
    const auto deadline = std::chrono::steady_clock::now() + forwardTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        auto socket = unixSocket::connectTo(socket_);
        if (!socket.isOpen()) {
            // The running instance may still be starting: it listens once it holds the lock.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        std::string reply;
        if (unixSocket::sendAll(socket.get(), line, deadline)) {
            while (reply.find('\n') == std::string::npos && reply.size() <= 1024 &&
                   unixSocket::waitReadable(socket.get(), deadline) &&
                   unixSocket::receiveAvailable(socket.get(), reply, 1024)) {
            }
        }
        if (reply == okLine)
            return Claim::forwarded;
        appLog().error("the running instance did not take the links");
        return Claim::failed;
    }
    appLog().error("the running instance could not be reached");
    return Claim::failed;
}

} // namespace velto
