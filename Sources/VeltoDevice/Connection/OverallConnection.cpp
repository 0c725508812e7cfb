#include "VeltoDevice/Connection/OverallConnection.hpp"

#include <algorithm>

namespace velto {

OverallConnection overallConnection(const std::vector<ConnectionState>& states) {
    auto any = [&](auto predicate) { return std::any_of(states.begin(), states.end(), predicate); };
    using Case = ConnectionState::Case;
    if (states.empty())
        return OverallConnection::notEnrolled;
    if (any([](const ConnectionState& state) { return state.kind() == Case::stopped; }))
        return OverallConnection::needsAttention;
    if (std::all_of(states.begin(), states.end(),
                    [](const ConnectionState& state) { return state.kind() == Case::connected; }))
        return OverallConnection::connected;
    if (any([](const ConnectionState& state) {
            return state.kind() == Case::retrying || state.kind() == Case::connecting;
        }))
        return OverallConnection::connecting;
    return OverallConnection::offline;
}

} // namespace velto
