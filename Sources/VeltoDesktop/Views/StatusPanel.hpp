#pragma once

#include <QObject>
#include <QRect>
#include <optional>

namespace velto {

/// The window that holds the status menu, as the status item drives it; MenuPanel draws it on Qt
/// Quick, in the windows module, so that the tray needs no Qt Quick of its own.
class StatusPanel : public QObject {
    Q_OBJECT

public:
    enum class Mode { panel, window };

    using QObject::QObject;
    ~StatusPanel() override = default;

    /// Shows the panel at the anchor (nothing: where the compositor puts it).
    virtual void show(Mode mode, std::optional<QRect> anchor) = 0;
    virtual void hide() = 0;
    virtual bool isVisible() const = 0;
    /// Whether its window has been made.
    virtual bool exists() const = 0;
    virtual Mode mode() const = 0;

Q_SIGNALS:
    void escapePressed();
};

} // namespace velto
