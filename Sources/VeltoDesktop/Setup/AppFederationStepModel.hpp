#pragma once

#include "VeltoDesktop/Setup/FederationStepModel.hpp"

namespace velto {

class AppModel;

/// The federation step's view of the application model: reads and calls pass through, and the
/// model's change signals are forwarded.
class AppFederationStepModel final : public FederationStepModel {
public:
    explicit AppFederationStepModel(AppModel& model, QObject* parent = nullptr);

    std::vector<Enrollment> enrollments() const override;
    const std::vector<HarnessStatus>& harnesses() const override;

    void setLendsSubscriptions(bool lends) override;
    boost::asio::awaitable<void> announceHello() override;
    boost::asio::awaitable<void> agreeEverywhere(std::set<DeviceScope> scopes) override;

private:
    AppModel& model_;
};

} // namespace velto
