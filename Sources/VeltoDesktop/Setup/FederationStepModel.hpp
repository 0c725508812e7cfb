#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Harness/HarnessStatus.hpp"
#include "VeltoDevice/Scopes/DeviceScope.hpp"

#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <set>
#include <vector>

namespace velto {

/// What the federation step reads of the application model and calls on it. Each signal follows a
/// change of what its name says. Main thread only.
class FederationStepModel : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~FederationStepModel() override = default;

    /// One per organization row, in row order.
    virtual std::vector<Enrollment> enrollments() const = 0;
    virtual const std::vector<HarnessStatus>& harnesses() const = 0;

    virtual void setLendsSubscriptions(bool lends) = 0;
    /// Tells every organization the hello as it now stands.
    virtual boost::asio::awaitable<void> announceHello() = 0;
    /// Grants each scope in every organization, revoking nothing.
    virtual boost::asio::awaitable<void> agreeEverywhere(std::set<DeviceScope> scopes) = 0;

Q_SIGNALS:
    void organizationsChanged();
    void harnessesChanged();
};

} // namespace velto
