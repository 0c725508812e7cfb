#include "VeltoDevice/Connection/ConnectionState.hpp"

namespace velto {

ConnectionState ConnectionState::connected(std::string deviceId) {
    return ConnectionState(Case::connected, std::move(deviceId), 0);
}

ConnectionState ConnectionState::retrying(std::int64_t afterMilliseconds, std::string reason) {
    return ConnectionState(Case::retrying, std::move(reason), afterMilliseconds);
}

ConnectionState ConnectionState::stopped(std::string reason) {
    return ConnectionState(Case::stopped, std::move(reason), 0);
}

ConnectionState ConnectionState::offline() {
    return ConnectionState(Case::offline, {}, 0);
}

ConnectionState ConnectionState::connecting() {
    return ConnectionState(Case::connecting, {}, 0);
}

namespace {

const std::string& noText() {
    static const std::string empty;
    return empty;
}

} // namespace

const std::string& ConnectionState::deviceId() const {
    return kind_ == Case::connected ? text_ : noText();
}

const std::string& ConnectionState::reason() const {
    return kind_ == Case::retrying || kind_ == Case::stopped ? text_ : noText();
}

std::ostream& operator<<(std::ostream& out, const ConnectionState& state) {
    switch (state.kind()) {
    case ConnectionState::Case::connected:
        return out << "connected(" << state.deviceId() << ")";
    case ConnectionState::Case::retrying:
        return out << "retrying(" << state.afterMilliseconds() << " ms, " << state.reason() << ")";
    case ConnectionState::Case::stopped:
        return out << "stopped(" << state.reason() << ")";
    case ConnectionState::Case::offline:
        return out << "offline";
    case ConnectionState::Case::connecting:
        return out << "connecting";
    }
    return out;
}

} // namespace velto
