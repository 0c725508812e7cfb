#include "VeltoDevice/LoginItem/LoginItem.hpp"

#include "VeltoDevice/LoginItem/LoginItemError.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/InstallLocation.hpp"

#include <exception>

namespace velto {

LoginItem LoginItem::inBundle(std::shared_ptr<LoginItemService> service,
                              const std::filesystem::path& bundle) {
    return LoginItem(std::move(service), InstallLocation::isSettled(bundle));
}

LoginItemState LoginItem::state() const {
    return canOpenAtLogin_ ? service_->state() : LoginItemState::unavailable;
}

void LoginItem::set(bool opensAtLogin) {
    if (!canOpenAtLogin_)
        throw LoginItemError::unavailable();
    switch (service_->state()) {
    case LoginItemState::on:
    case LoginItemState::needsApproval:
        if (!opensAtLogin)
            service_->unregisterItem();
        return;
    case LoginItemState::off:
        if (opensAtLogin)
            service_->registerItem();
        return;
    case LoginItemState::unavailable:
        throw LoginItemError::unavailable();
    }
}

std::optional<LoginItemRefusal> LoginItem::change(bool opensAtLogin) {
    try {
        set(opensAtLogin);
        return std::nullopt;
    } catch (...) {
        return LoginItemRefusal{opensAtLogin, describe(std::current_exception())};
    }
}

} // namespace velto
