#pragma once

#include "VeltoDevice/LoginItem/LoginItem.hpp"
#include "VeltoDevice/LoginItem/LoginItemRefusal.hpp"
#include "VeltoDevice/LoginItem/LoginItemState.hpp"

#include <QObject>
#include <memory>
#include <optional>

namespace velto {

/// Whether the application opens at login, as the menu and the setup show it, and the refusal of the
/// last change until a later state settles it. Main thread only.
class LoginItemModel final : public QObject {
    Q_OBJECT

public:
    explicit LoginItemModel(std::shared_ptr<LoginItem> loginItem);

    LoginItemState state() const { return state_; }
    const std::optional<LoginItemRefusal>& refusal() const { return refusal_; }

    /// Reads the state again; a state that settles the refusal drops it.
    void refresh();
    /// Turns opening at login on or off; the refusal is kept, logged and returned.
    std::optional<LoginItemRefusal> setOpensAtLogin(bool opensAtLogin);

Q_SIGNALS:
    void stateChanged();
    void refusalChanged();

private:
    std::shared_ptr<LoginItem> loginItem_;
    LoginItemState state_ = LoginItemState::unavailable;
    std::optional<LoginItemRefusal> refusal_;
};

} // namespace velto
