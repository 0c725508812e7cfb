#pragma once

#include "VeltoDesktop/Views/EnrollmentPromptPresentation.hpp"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

namespace velto {

class PromptModel;

/// What the enrollment prompt binds to, from the model's prompt; "Enroll" confirms through the
/// model, "Cancel", "Close" and "Done" close the window. Main thread.
class EnrollmentPromptController final : public QObject {
    Q_OBJECT
    /// "none", "confirming", "enrolling", "joined", "failed".
    Q_PROPERTY(QString stage READ stage NOTIFY changed)
    Q_PROPERTY(QString headline READ headline NOTIFY changed)
    Q_PROPERTY(QString warning READ warning NOTIFY changed)
    Q_PROPERTY(QString codesLabel READ codesLabel NOTIFY changed)
    Q_PROPERTY(QStringList codes READ codes NOTIFY changed)
    Q_PROPERTY(QString authority READ authority NOTIFY changed)
    Q_PROPERTY(QString address READ address NOTIFY changed)
    Q_PROPERTY(QString cleartextNote READ cleartextNote NOTIFY changed)
    Q_PROPERTY(QString namingNote READ namingNote NOTIFY changed)
    Q_PROPERTY(QString progressTitle READ progressTitle NOTIFY changed)
    Q_PROPERTY(QString joinedAs READ joinedAs NOTIFY changed)
    Q_PROPERTY(QString replaced READ replaced NOTIFY changed)
    Q_PROPERTY(QString refusalSummary READ refusalSummary NOTIFY changed)
    Q_PROPERTY(QString expectation READ expectation NOTIFY changed)
    Q_PROPERTY(QString message READ message NOTIFY changed)
    Q_PROPERTY(bool escapeCloses READ escapeCloses NOTIFY changed)
    Q_PROPERTY(bool returnIsDone READ returnIsDone NOTIFY changed)
    /// The desktop asked for less motion: the progress bar stands still.
    Q_PROPERTY(bool reduceMotion READ reduceMotion NOTIFY reduceMotionChanged)

public:
    /// `close` closes the window.
    EnrollmentPromptController(PromptModel& model, std::function<void()> close, QObject* parent = nullptr);

    const EnrollmentPromptPresentation& presentation() const { return presentation_; }
    QString stage() const;
    QString headline() const { return presentation_.headline; }
    QString warning() const { return presentation_.warning; }
    QString codesLabel() const { return presentation_.codesLabel; }
    QStringList codes() const { return presentation_.codes; }
    QString authority() const { return presentation_.server ? presentation_.server->authority : QString(); }
    QString address() const { return presentation_.server ? presentation_.server->address : QString(); }
    QString cleartextNote() const {
        return presentation_.server ? presentation_.server->cleartextNote.value_or(QString()) : QString();
    }
    QString namingNote() const { return presentation_.namingNote; }
    QString progressTitle() const { return presentation_.progressTitle; }
    QString joinedAs() const { return presentation_.joinedAs.value_or(QString()); }
    QString replaced() const { return presentation_.replaced.value_or(QString()); }
    QString refusalSummary() const { return presentation_.refusalSummary.value_or(QString()); }
    QString expectation() const { return presentation_.expectation; }
    QString message() const { return presentation_.message; }
    bool escapeCloses() const { return presentation_.escapeCloses(); }
    bool returnIsDone() const { return presentation_.returnIsDone(); }

    bool reduceMotion() const { return reduceMotion_; }
    void setReduceMotion(bool reduce) {
        if (reduce == reduceMotion_)
            return;
        reduceMotion_ = reduce;
        Q_EMIT reduceMotionChanged();
    }

    Q_INVOKABLE void enroll();
    Q_INVOKABLE void close();

Q_SIGNALS:
    void changed();
    void reduceMotionChanged();

private:
    QPointer<PromptModel> model_;
    std::function<void()> close_;
    EnrollmentPromptPresentation presentation_;
    bool reduceMotion_ = false;
};

} // namespace velto
