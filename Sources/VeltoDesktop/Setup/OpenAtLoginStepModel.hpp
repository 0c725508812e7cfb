#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/LoginItem/LoginItemRefusal.hpp"
#include "VeltoDevice/LoginItem/LoginItemState.hpp"

#include <QObject>
#include <optional>
#include <vector>

namespace velto {

/// What the open-at-login step reads of the application model and calls on it. Each signal follows a
/// change of what its name says. Main thread only.
class OpenAtLoginStepModel : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~OpenAtLoginStepModel() override = default;

    virtual LoginItemState loginItemState() const = 0;
    /// One per organization row, in row order: the picture shows the first.
    virtual std::vector<Enrollment> enrollments() const = 0;

    virtual void refreshLoginItem() = 0;
    virtual std::optional<LoginItemRefusal> setOpensAtLogin(bool opensAtLogin) = 0;
    /// Shows the desktop's list of what opens at login.
    virtual void openLoginItemSettings() = 0;

Q_SIGNALS:
    void organizationsChanged();
};

} // namespace velto
