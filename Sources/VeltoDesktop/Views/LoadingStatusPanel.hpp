#pragma once

#include "VeltoDesktop/Views/StatusPanel.hpp"

#include <QPointer>
#include <functional>

namespace velto {

/// The status item's panel while the windows module is still loading off the GUI thread: it asks
/// for the module's panel at its first show, keeps what the item wants meanwhile (the last show, or
/// a hide after it) and passes it on once the panel is there; from then on it passes everything on.
/// Where no panel comes (the module could not be loaded) nothing ever shows. Main thread.
class LoadingStatusPanel final : public StatusPanel {
    Q_OBJECT

public:
    /// Asks for the panel and hands it (or nothing) to the given function, now or later, on the
    /// main thread.
    using Load = std::function<void(std::function<void(StatusPanel*)>)>;

    explicit LoadingStatusPanel(Load load, QObject* parent = nullptr);

    void show(Mode mode, std::optional<QRect> anchor) override;
    void hide() override;
    bool isVisible() const override;
    bool exists() const override;
    Mode mode() const override;

private:
    void take(StatusPanel* panel);

    Load load_;
    bool asked_ = false;
    bool wanted_ = false;
    Mode mode_ = Mode::panel;
    std::optional<QRect> anchor_;
    QPointer<StatusPanel> panel_;
};

} // namespace velto
