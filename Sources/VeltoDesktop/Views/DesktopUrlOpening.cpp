#include "VeltoDesktop/Views/DesktopUrlOpening.hpp"

#include "VeltoDesktop/AppLog.hpp"

#include <QObject>
#include <QProcess>
#include <QTimer>
#include <unistd.h>

namespace velto {

namespace {

/// Tells the outcome once, whichever of exit, failure to start or the grace period comes first.
struct Report {
    UrlOpening::Outcome outcome;
    bool told = false;

    void operator()(bool opened) {
        if (told)
            return;
        told = true;
        if (!opened)
            appLog().error("could not open a page in the browser");
        if (outcome)
            outcome(opened);
    }
};

} // namespace

DesktopUrlOpening::DesktopUrlOpening(QString program, std::chrono::milliseconds grace)
    : program_(std::move(program)), grace_(grace), openers_(std::make_unique<QObject>()) {}

DesktopUrlOpening::~DesktopUrlOpening() {
    // Stopping an opener must not tell a caller that may be gone already.
    for (auto* process : openers_->findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished();
        }
    }
}

void DesktopUrlOpening::open(const boost::urls::url& url, Outcome outcome) {
    auto report = std::make_shared<Report>(Report{std::move(outcome)});
    const auto scheme = url.scheme_id();
    if (scheme != boost::urls::scheme::https && scheme != boost::urls::scheme::http) {
        (*report)(false);
        return;
    }
    auto* process = new QProcess(openers_.get());
    process->setProgram(program_);
    // The address is one argument: no shell ever reads it.
    const auto& text = url.buffer();
    process->setArguments({QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // A browser the opener starts must not share our session: a Ctrl-C or hang-up of ours is not its.
    process->setChildProcessModifier([] { ::setsid(); });

    QObject::connect(process, &QProcess::finished, process,
                     [process, report](int code, QProcess::ExitStatus status) {
                         (*report)(status == QProcess::NormalExit && code == 0);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, report](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         (*report)(false);
                         process->deleteLater();
                     });
    auto* graceTimer = new QTimer(process);
    graceTimer->setSingleShot(true);
    QObject::connect(graceTimer, &QTimer::timeout, process, [report] { (*report)(true); });
    graceTimer->start(grace_);
    process->start(QIODevice::NotOpen);
}

} // namespace velto
