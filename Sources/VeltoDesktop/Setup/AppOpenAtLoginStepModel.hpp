#pragma once

#include "VeltoDesktop/Setup/OpenAtLoginStepModel.hpp"

#include <functional>

namespace velto {

class AppModel;

/// The open-at-login step's view of the application model: reads and calls pass through, and the
/// model's change signals are forwarded. The login items settings open through `openSettings`.
class AppOpenAtLoginStepModel final : public OpenAtLoginStepModel {
public:
    AppOpenAtLoginStepModel(AppModel& model, std::function<void()> openSettings, QObject* parent = nullptr);

    LoginItemState loginItemState() const override;
    std::vector<Enrollment> enrollments() const override;

    void refreshLoginItem() override;
    std::optional<LoginItemRefusal> setOpensAtLogin(bool opensAtLogin) override;
    void openLoginItemSettings() override;

private:
    AppModel& model_;
    std::function<void()> openSettings_;
};

} // namespace velto
