#include "VeltoDesktop/System/SingleInstance.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDevice/Support/Json.hpp"
#include "VeltoDevice/Support/PrivateTemporaryFolder.hpp"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <exception>

namespace velto {

namespace {

const std::string okLine = "{\"ok\":true}\n";

/// A connection that says nothing is closed after this long.
constexpr int idleMilliseconds = 10000;

void answer(QLocalSocket* socket, const std::string& line) {
    socket->write(line.data(), static_cast<qint64>(line.size()));
    socket->disconnectFromServer();
}

std::string errorLine(std::string_view reason) {
    return encodeCompact(Json{{"error", reason}}) + "\n";
}

} // namespace

SingleInstance::SingleInstance(std::filesystem::path folder)
    : folder_(std::move(folder)), socket_(folder_ / "app.velto.desktop.socket") {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&server_, &QLocalServer::newConnection, this, [this] { accept(); });
}

SingleInstance::~SingleInstance() {
    server_.close();
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
    const auto name = QString::fromStdString(socket_.string());
    // The lock is ours, so a socket file left there belongs to an instance that is gone.
    QLocalServer::removeServer(name);
    if (!server_.listen(name)) {
        appLog().error("cannot listen for later starts: " + server_.errorString().toStdString());
        return false;
    }
    return true;
}

void SingleInstance::accept() {
    while (auto* socket = server_.nextPendingConnection()) {
        struct Reading {
            std::string buffer;
            bool isAnswered = false;
        };
        auto reading = std::make_shared<Reading>();
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        QObject::connect(idle, &QTimer::timeout, socket, [socket] { socket->abort(); });
        idle->start(idleMilliseconds);
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, this, [this, socket, reading] {
            auto bytes = socket->readAll();
            if (reading->isAnswered)
                return; // one line per connection
            reading->buffer.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            auto end = reading->buffer.find('\n');
            if (end == std::string::npos) {
                if (reading->buffer.size() > maximumLine) {
                    reading->isAnswered = true;
                    appLog().error("refused a forwarded line over 64 KiB");
                    answer(socket, errorLine("the line is too long"));
                }
                return;
            }
            reading->isAnswered = true;
            auto links = decode(std::string_view(reading->buffer).substr(0, end));
            if (!links) {
                appLog().error("refused a forwarded line that is not a list of links");
                answer(socket, errorLine("the line is not a list of links"));
                return;
            }
            answer(socket, okLine);
            Q_EMIT linksReceived(std::move(*links));
        });
    }
}

SingleInstance::Claim SingleInstance::forward(const std::vector<std::string>& links) {
    const auto line = encode(links);
    if (line.size() > maximumLine + 1) {
        appLog().error("the links are too long to hand to the running instance");
        return Claim::failed;
    }
    QDeadlineTimer deadline(forwardTimeout);
    const auto name = QString::fromStdString(socket_.string());
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
            // The running instance may still be starting: it listens once it holds the lock.
            QThread::msleep(50);
            continue;
        }
        socket.write(line.data(), static_cast<qint64>(line.size()));
        std::string reply;
        while (reply.find('\n') == std::string::npos && !deadline.hasExpired()) {
            if (!socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
                break;
            auto bytes = socket.readAll();
            reply.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            if (reply.size() > 1024)
                break;
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
