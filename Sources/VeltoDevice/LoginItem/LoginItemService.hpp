#pragma once

#include "VeltoDevice/LoginItem/LoginItemState.hpp"

namespace velto {

/// The system's service that opens the application at login.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;

    virtual LoginItemState state() const = 0;
    /// Both throw the system's refusal.
    virtual void registerItem() = 0;
    virtual void unregisterItem() = 0;
};

} // namespace velto
