#include "VeltoDesktop/Model/LoginItemModel.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"

namespace velto {

LoginItemModel::LoginItemModel(std::shared_ptr<LoginItem> loginItem)
    : loginItem_(std::move(loginItem)), state_(loginItem_->state()) {}

void LoginItemModel::refresh() {
    assertOnMainThread();
    assignNotifying(*this, state_, loginItem_->state(), &LoginItemModel::stateChanged);
    // needsApproval and unavailable settle no refusal.
    if (refusal_ && refusal_->isSettled(state_))
        assignNotifying(*this, refusal_, std::optional<LoginItemRefusal>(), &LoginItemModel::refusalChanged);
}

std::optional<LoginItemRefusal> LoginItemModel::setOpensAtLogin(bool opensAtLogin) {
    assertOnMainThread();
    auto refusal = loginItem_->change(opensAtLogin);
    assignNotifying(*this, refusal_, refusal, &LoginItemModel::refusalChanged);
    refresh();
    if (refusal)
        appLog().error("could not change the login item: " + refusal->message());
    return refusal;
}

} // namespace velto
