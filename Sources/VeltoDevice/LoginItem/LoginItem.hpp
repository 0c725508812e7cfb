#pragma once

#include "VeltoDevice/LoginItem/LoginItemRefusal.hpp"
#include "VeltoDevice/LoginItem/LoginItemService.hpp"
#include "VeltoDevice/LoginItem/LoginItemState.hpp"

#include <filesystem>
#include <memory>
#include <optional>

namespace velto {

/// Opening the application at login, for a copy that may.
class LoginItem {
public:
    LoginItem(std::shared_ptr<LoginItemService> service, bool canOpenAtLogin)
        : service_(std::move(service)), canOpenAtLogin_(canOpenAtLogin) {}

    /// The login item of the running copy: it can open at login unless the bundle is outside an app
    /// bundle, translocated or on a read-only volume (an unwritable folder does not matter here).
    static LoginItem inBundle(std::shared_ptr<LoginItemService> service, const std::filesystem::path& bundle);

    bool canOpenAtLogin() const { return canOpenAtLogin_; }

    /// unavailable when this copy cannot open at login, else the service's state, read each time.
    LoginItemState state() const;
    /// Registers or unregisters only when the service's state differs from the wish (needsApproval
    /// counts as registered). Throws LoginItemError::unavailable, or the service's refusal.
    void set(bool opensAtLogin);
    /// `set`, with any failure turned into a refusal carrying its sentence; nothing on success.
    std::optional<LoginItemRefusal> change(bool opensAtLogin);

private:
    std::shared_ptr<LoginItemService> service_;
    bool canOpenAtLogin_;
};

} // namespace velto
