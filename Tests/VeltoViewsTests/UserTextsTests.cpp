#include "VeltoDesktop/System/MachineNaming.hpp"
#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDevice/Connection/DeviceSession.hpp"
#include "VeltoDevice/DPoP/DPoPError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Keys/KeyStoreError.hpp"
#include "VeltoDevice/LoginItem/LoginItemError.hpp"
#include "VeltoDevice/LoginItem/LoginItemRefusal.hpp"
#include "VeltoDevice/Runner/JobRelay.hpp"
#include "VeltoDevice/Runner/RunnerError.hpp"
#include "VeltoDevice/Scopes/DeviceScope.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Support/InstallLocationProblem.hpp"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <cstdlib>

namespace velto {
namespace {

/// The words of the other platform that no text here may use: its machine, its system, its key
/// store and the places it sends people to. The server's own button label is its word, not ours,
/// and is left out where a text quotes it.
std::optional<QString> platformWord(QString text) {
    text.remove(QChar(0x201C) + UserTexts::serverAddDeviceLabel() + QChar(0x201D));
    static const QRegularExpression exact(QStringLiteral(R"(\bMac\b|\bmacOS\b)"));
    static const QRegularExpression anyCase(
        QStringLiteral(
            R"(secure enclave|keychain|menu bar|\bdock\b|system settings|login items|applications folder)"),
        QRegularExpression::CaseInsensitiveOption);
    for (const auto* words : {&exact, &anyCase}) {
        const auto found = words->match(text);
        if (found.hasMatch())
            return found.captured();
    }
    return std::nullopt;
}

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QString sourceFolder() {
    const char* root = std::getenv("VELTO_SOURCE_DIR");
    return root ? QString::fromLocal8Bit(root) + "/Sources" : QString();
}

/// The string literals of a C++ or QML source, comments and preprocessor lines left out.
QStringList literalsOf(const QString& source) {
    QStringList found;
    qsizetype at = 0;
    const auto size = source.size();
    bool lineStart = true;
    while (at < size) {
        const QChar c = source[at];
        if (lineStart && c == '#') {
            at = source.indexOf('\n', at);
            if (at < 0)
                break;
            continue;
        }
        if (c == '\n') {
            lineStart = true;
            ++at;
            continue;
        }
        if (!c.isSpace())
            lineStart = false;
        if (source.mid(at, 2) == "//") {
            at = source.indexOf('\n', at);
            if (at < 0)
                break;
        } else if (source.mid(at, 2) == "/*") {
            const auto end = source.indexOf("*/", at + 2);
            at = end < 0 ? size : end + 2;
        } else if (source.mid(at, 2) == "R\"") {
            const auto open = source.indexOf('(', at);
            const auto closing = ")" + source.mid(at + 2, open - at - 2) + "\"";
            const auto end = source.indexOf(closing, open);
            found << source.mid(open + 1, end - open - 1);
            at = end < 0 ? size : end + closing.size();
        } else if (c == '"') {
            auto end = at + 1;
            while (end < size && source[end] != '"')
                end += source[end] == '\\' ? 2 : 1;
            found << source.mid(at + 1, end - at - 1);
            at = end + 1;
        } else {
            ++at;
        }
    }
    return found;
}

struct SourceFile {
    QString path;
    QString text;
};

std::vector<SourceFile> sources(const QStringList& patterns) {
    std::vector<SourceFile> out;
    QDirIterator files(sourceFolder(), patterns, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly))
            out.push_back({file.fileName(), QString::fromUtf8(file.readAll())});
    }
    return out;
}

TEST(UserTextsTest, NoTextOfTheTableNamesTheOtherPlatform) {
    const auto texts = UserTexts::all();
    ASSERT_GT(texts.size(), 100);
    for (const auto& shown : texts)
        EXPECT_EQ(platformWord(shown), std::nullopt) << shown.toStdString();
}

TEST(UserTextsTest, NoSentenceOfTheLibraryThatReachesThePeopleNamesTheOtherPlatform) {
    std::vector<std::string> sentences{
        KeyStoreError::keychain(-1).what(),
        KeyStoreError::secureEnclaveUnavailable().what(),
        KeyStoreError::keyCreationFailed().what(),
        KeyStoreError::unreadableKey().what(),
        DPoPError::invalidTargetURL("https://velto.example").what(),
        DPoPError::malformedKey().what(),
        DPoPError::signingFailed().what(),
        ConnectionError::upgradeRefused("use_dpop_nonce").what(),
        ConnectionError::closedByServer(4000).what(),
        ConnectionError::dropped("HTTP 500").what(),
        ConnectionError::revoked().what(),
        ConnectionError::replaced().what(),
        ConnectionError::renewalMissed().what(),
        ConnectionError::welcomeTimedOut().what(),
        ConnectionError::renewalUnanswered().what(),
        EnrollmentError::invalidCode().what(),
        EnrollmentError::invalidLink().what(),
        EnrollmentError::codeRejected().what(),
        EnrollmentError::keyAlreadyEnrolled().what(),
        EnrollmentError::proofRejected().what(),
        EnrollmentError::unreadableEnrollment().what(),
        EnrollmentError::corruptEnrollments().what(),
        EnrollmentError::corruptEnrollment().what(),
        RunnerError::unavailable().what(),
        RunnerError::launchFailed().what(),
        JobRelay::stoppedWithoutResult(9),
        DeviceSession::startFailure,
        LoginItemError::unavailable().what(),
        LoginItemRefusal{true, std::nullopt}.message(),
        LoginItemRefusal{false, std::string("Denied.")}.message(),
    };
    for (auto problem : {InstallLocationProblem::notAppBundle, InstallLocationProblem::translocated,
                         InstallLocationProblem::readOnlyVolume, InstallLocationProblem::notWritable})
        sentences.push_back(description(problem));
    for (auto scope : allDeviceScopes) {
        sentences.emplace_back(title(scope));
        sentences.emplace_back(consent(scope));
    }
    for (const auto& sentence : sentences)
        EXPECT_EQ(platformWord(text(sentence)), std::nullopt) << sentence;
}

// Whatever table a text comes from, its literal is in the sources: a text added anywhere later is
// caught here too. Wire values ("macos", "pair=mac") are lower case and pass.
TEST(UserTextsTest, NoLiteralOfTheSourcesNamesTheOtherPlatform) {
    const auto files = sources({"*.cpp", "*.hpp", "*.qml"});
    ASSERT_GT(files.size(), 100u) << "no sources under " << sourceFolder().toStdString();
    for (const auto& file : files) {
        for (const auto& literal : literalsOf(file.text)) {
            if (literal == UserTexts::serverAddDeviceLabel())
                continue;
            EXPECT_EQ(platformWord(literal), std::nullopt)
                << file.path.toStdString() << ": " << literal.toStdString();
        }
    }
}

TEST(UserTextsTest, TheViewsShowNoTextOfTheirOwnAndEveryLabelTheyNameExists) {
    static const QRegularExpression ownText(QStringLiteral(
        R"re(\b(text|title|label|message|placeholderText|Accessible\.name|tooltip)\s*:\s*"([^"]*\p{L}[^"]*)")re"));
    // `userTexts` is the engine's; a property or id of that name would hide it and blank the label.
    static const QRegularExpression label(QStringLiteral(R"((?<![\w.])userTexts\.(\w+))"));
    static const QRegularExpression hiding(QStringLiteral(R"(\b(property\s+\w+|id:)\s*userTexts\b)"));
    const auto labels = UserTexts::labels();
    const auto files = sources({"*.qml"});
    ASSERT_GT(files.size(), 50u);
    int named = 0;
    for (const auto& file : files) {
        for (auto found = ownText.globalMatch(file.text); found.hasNext();)
            ADD_FAILURE() << file.path.toStdString() << " writes " << found.next().captured(0).toStdString();
        EXPECT_FALSE(hiding.match(file.text).hasMatch()) << file.path.toStdString();
        for (auto found = label.globalMatch(file.text); found.hasNext(); ++named) {
            const auto name = found.next().captured(1);
            EXPECT_TRUE(labels.contains(name))
                << file.path.toStdString() << " names userTexts." << name.toStdString();
        }
    }
    EXPECT_GT(named, 40);
}

TEST(UserTextsTest, TheServersButtonIsQuotedAsItsPageNamesIt) {
    EXPECT_EQ(UserTexts::pairMessage(UserTexts::PairStage::waitingForBrowser),
              "On the Devices page, choose \u201cAdd this Mac\u201d. Velto comes back here when you do.");
    EXPECT_EQ(UserTexts::pairMessage(UserTexts::PairStage::confirming),
              "Continue only if you just chose \u201cAdd this Mac\u201d. Any website can open a Velto link.");
    EXPECT_EQ(UserTexts::promptWarning(),
              "Continue only if you just chose \u201cAdd this Mac\u201d in Velto. Any "
              "website can open a Velto link.");
}

TEST(UserTextsTest, TheTextsThatSayWhereThingsAreSayWhatIsTrueHere) {
    const auto labels = UserTexts::labels();
    EXPECT_EQ(labels.value("commandLineToolPassword").toString(),
              "It goes in /usr/local/bin, so pkexec may ask for an administrator's password.");
    EXPECT_EQ(labels.value("openAtLoginTray").toString(),
              "It stays in the tray, or in a window where there's no tray.");
    EXPECT_EQ(labels.value("federationPause").toString(), "Pause any time from Velto's menu.");
    EXPECT_EQ(UserTexts::awaitingLoginApproval(),
              "Allow Velto in your desktop's startup applications, then choose Open at Login again.");
    EXPECT_EQ(std::string(LoginItemError::unavailable().what()),
              "This copy of Velto cannot open at login. Start Velto from its Velto.app folder on a disk that "
              "is not "
              "read-only.");
}

struct NoNames : MachineNaming {
    std::optional<std::string> prettyName() override { return std::nullopt; }
    std::optional<std::string> hostName() override { return std::nullopt; }
};

TEST(UserTextsTest, AMachineWithoutANameIsALinuxComputer) {
    NoNames naming;
    EXPECT_EQ(naming.machineName(), "Linux computer");
}

} // namespace
} // namespace velto
