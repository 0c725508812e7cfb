#include "VeltoDesktop/System/SingleInstance.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocalSocket>
#include <fstream>
#include <sys/stat.h>

#include "CapturingLogSink.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

/// Sends `line` to the instance's socket and returns the answer line, pumping the main loop meanwhile.
std::string sendLine(const SingleInstance& instance, const std::string& line) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(instance.socketPath().string()));
    for (int i = 0; i < 200 && socket.state() != QLocalSocket::ConnectedState; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    socket.write(line.data(), static_cast<qint64>(line.size()));
    std::string reply;
    for (int i = 0; i < 500 && reply.find('\n') == std::string::npos; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        socket.waitForReadyRead(5);
        reply += socket.readAll().toStdString();
        if (socket.state() == QLocalSocket::UnconnectedState && socket.bytesAvailable() == 0 &&
            !reply.empty())
            break;
    }
    return reply;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    std::shared_ptr<testing::CapturingLogSink> log = testing::CapturingLogSink::install();
    testing::TemporaryFolder folder;
};

TEST_F(SingleInstanceTest, TheFirstClaimListensAndTakesAForwardedLineWhole) {
    // A socket file that a crashed instance left is replaced.
    std::ofstream(folder.path() / "app.velto.desktop.socket") << "stale";
    SingleInstance instance(folder.path());
    ASSERT_EQ(instance.claim({}), SingleInstance::Claim::primary);
    struct stat socketStatus {};
    ASSERT_EQ(::stat(instance.socketPath().c_str(), &socketStatus), 0);
    EXPECT_TRUE(S_ISSOCK(socketStatus.st_mode));
    EXPECT_EQ(socketStatus.st_mode & 0777, 0600u) << "only its owner may hand links to the agent";
    std::vector<std::vector<std::string>> received;
    QObject::connect(&instance, &SingleInstance::linksReceived,
                     [&](std::vector<std::string> links) { received.push_back(std::move(links)); });
    EXPECT_EQ(sendLine(instance, SingleInstance::encode({"velto://enroll?a", "velto://enroll?b"})),
              "{\"ok\":true}\n");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], (std::vector<std::string>{"velto://enroll?a", "velto://enroll?b"}));
}

TEST_F(SingleInstanceTest, LinesThatAreTooLongOrNotLinksAreRefusedAndNothingIsApplied) {
    SingleInstance instance(folder.path());
    ASSERT_EQ(instance.claim({}), SingleInstance::Claim::primary);
    int received = 0;
    QObject::connect(&instance, &SingleInstance::linksReceived,
                     [&](std::vector<std::string>) { ++received; });
    struct Case {
        std::string line;
        std::string reply;
    };
    for (const auto& c : std::vector<Case>{
             {std::string(SingleInstance::maximumLine + 10, 'x'), "{\"error\":\"the line is too long\"}\n"},
             {"{\"links\": [1]}\n", "{\"error\":\"the line is not a list of links\"}\n"},
             {"[\"velto://enroll\"]\n", "{\"error\":\"the line is not a list of links\"}\n"},
             {"{\"links\": [\"velto://enroll\"\n", "{\"error\":\"the line is not a list of links\"}\n"}}) {
        EXPECT_EQ(sendLine(instance, c.line), c.reply);
    }
    EXPECT_EQ(received, 0);
}

TEST_F(SingleInstanceTest, DecodeAcceptsOnlyAnObjectOfLinkTexts) {
    EXPECT_EQ(SingleInstance::decode("{\"links\":[]}"), std::vector<std::string>{});
    EXPECT_FALSE(SingleInstance::decode("{\"links\":\"velto://x\"}"));
    EXPECT_FALSE(SingleInstance::decode("{}"));
    EXPECT_FALSE(SingleInstance::decode("not json"));
}

} // namespace
} // namespace velto
