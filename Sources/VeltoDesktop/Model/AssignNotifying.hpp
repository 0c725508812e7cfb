#pragma once

#include <QObject>
#include <utility>

namespace velto {

/// Sets an observed field of `owner` and emits its change signal, only when the value differs, so that
/// each observed property notifies only when its value changes; whether it did.
template <typename Owner, typename T, typename Value>
bool assignNotifying(Owner& owner, T& field, Value&& value, void (Owner::*changed)()) {
    if (field == value)
        return false;
    field = std::forward<Value>(value);
    Q_EMIT(owner.*changed)();
    return true;
}

} // namespace velto
