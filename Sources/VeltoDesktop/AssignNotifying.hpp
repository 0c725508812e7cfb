#pragma once

#include <QObject>
#include <utility>

namespace velto {

/// Sets an observed field of `owner` and emits its change signal, only when the value differs: each
/// observed property notifies only when its value changes.
template <typename Owner, typename T, typename Value>
void assignNotifying(Owner& owner, T& field, Value&& value, void (Owner::*changed)()) {
    if (field == value)
        return;
    field = std::forward<Value>(value);
    Q_EMIT(owner.*changed)();
}

} // namespace velto
