#pragma once

#include "VeltoDevice/LoginItem/LoginItemAnswer.hpp"

#include <QObject>
#include <QVariantMap>
#include <optional>

namespace velto {

class OpenAtLoginStepModel;

/// The open-at-login step: whether it is offered, the answer to the user's last choice and its notice.
/// Main thread only.
class OpenAtLoginPresenter final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantMap notice READ notice NOTIFY answerChanged)
    Q_PROPERTY(QVariantMap firstEnrollment READ firstEnrollment NOTIFY enrollmentsChanged)

public:
    explicit OpenAtLoginPresenter(OpenAtLoginStepModel& model, QObject* parent = nullptr);

    /// Reads the login item afresh.
    void refresh();
    /// Whether the step is walked: unless this copy cannot open at login.
    bool isOffered() const;
    const std::optional<LoginItemAnswer>& answer() const { return answer_; }
    /// Changes the login item and answers from the state that follows; approval still to give opens
    /// the desktop's list of what opens at login. True when the step is done (the answer is finished).
    bool choose(bool on);

    QVariantMap notice() const;
    QVariantMap firstEnrollment() const;

Q_SIGNALS:
    void answerChanged();
    void enrollmentsChanged();

private:
    OpenAtLoginStepModel& model_;
    std::optional<LoginItemAnswer> answer_;
};

} // namespace velto
