#pragma once

#include "VeltoDevice/Enrollment/HarnessKind.hpp"
#include "VeltoDevice/Harness/HarnessStatus.hpp"

#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <set>
#include <vector>

namespace velto {

/// What the monitoring step reads of the application model and calls on it. Each signal follows a
/// change of what its name says. Main thread only.
class MonitoringStepModel : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~MonitoringStepModel() override = default;

    virtual const std::vector<HarnessStatus>& harnesses() const = 0;
    virtual bool isDetectingHarnesses() const = 0;

    virtual void setMonitoredAgents(std::set<HarnessKind> agents) = 0;
    /// One pass that brings every agent's add-on to the stored choice.
    virtual boost::asio::awaitable<void> reconcileAgents() = 0;

Q_SIGNALS:
    void harnessesChanged();
    void isDetectingHarnessesChanged();
};

} // namespace velto
