#pragma once

#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <QVariantMap>

namespace velto {

class CommandLineToolStepModel;

/// The command-line tool step: whether it is offered, the install, and the model's refusal as the
/// step's notice. Main thread only.
class CommandLineToolPresenter final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantMap notice READ notice NOTIFY noticeChanged)

public:
    explicit CommandLineToolPresenter(CommandLineToolStepModel& model, QObject* parent = nullptr);

    /// Reads the command's link afresh.
    void refresh();
    /// Whether the step is walked: only for a link that is not installed or is taken.
    bool isOffered() const;
    bool isInstalling() const;
    /// Installs the command; true only when it was installed. A refusal stays with the model, which
    /// the notice shows; a failure counts as not installed. Touches nothing of the presenter.
    boost::asio::awaitable<bool> install();

    QVariantMap notice() const;

Q_SIGNALS:
    void noticeChanged();
    void isInstallingChanged();

private:
    CommandLineToolStepModel& model_;
};

} // namespace velto
