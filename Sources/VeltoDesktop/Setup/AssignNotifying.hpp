#pragma once

#include <utility>

namespace velto {

/// Sets `field` to `value` and emits `owner`'s `changed` signal, only when the value differs; whether
/// it did.
template <typename Owner, typename T, typename Value>
bool assignNotifying(Owner& owner, T& field, Value&& value, void (Owner::*changed)()) {
    if (field == value)
        return false;
    field = std::forward<Value>(value);
    Q_EMIT(owner.*changed)();
    return true;
}

} // namespace velto
