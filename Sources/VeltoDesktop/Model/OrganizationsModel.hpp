#pragma once

#include "VeltoDesktop/Model/AppServiceFactory.hpp"
#include "VeltoDesktop/Model/CommandLineModel.hpp"
#include "VeltoDesktop/Model/OrganizationConnections.hpp"
#include "VeltoDesktop/Model/OrganizationListModel.hpp"
#include "VeltoDesktop/Model/OwnedTasks.hpp"
#include "VeltoDesktop/Model/PhotosModel.hpp"
#include "VeltoDesktop/Model/ScopesModel.hpp"
#include "VeltoDevice/Connection/DeviceConnection.hpp"
#include "VeltoDevice/Connection/OverallConnection.hpp"
#include "VeltoDevice/Keys/SecureEnclaveKeyStore.hpp"
#include "VeltoDevice/Support/StrandConfined.hpp"

#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velto {

/// The enrolled organizations: their rows with each connection's state, the saved list they are
/// restored from and kept in, and each organization's connection, added, replaced and removed with
/// its row. A profile the server sends updates the row and the saved list, and fetches the photo, the
/// command's login and the scopes again. Main thread; the saved list lives on the storage strand.
class OrganizationsModel final : public QObject {
    Q_OBJECT

public:
    struct Dependencies {
        boost::asio::any_io_executor main;
        std::shared_ptr<AppServiceFactory> services;
        std::shared_ptr<SecureEnclaveKeyStore> keyStore;
        std::shared_ptr<JobRunnerControl> runner;
        std::shared_ptr<UpdateCoordinator> updates;
        /// Called by each connection on the device executor at each dial.
        DeviceConnection::MakeHello makeHello;
        /// Brings the sockets to the connection wish once a connection is added.
        std::function<boost::asio::awaitable<void>()> applyConnectionWish;
        OrganizationConnections& connections;
        CommandLineModel& commandLine;
        PhotosModel& photos;
        ScopesModel& scopes;
    };

    explicit OrganizationsModel(Dependencies dependencies);

    OrganizationListModel* list() const { return list_.get(); }
    const std::vector<EnrolledOrganization>& rows() const { return list_->rows(); }
    /// Why restoring, moving or removing failed last; an enrollment clears it.
    const std::optional<std::string>& problem() const { return problem_; }
    void clearProblem() { setProblem(std::nullopt); }
    std::vector<Enrollment> enrollments() const;
    std::vector<std::string> deviceIds() const;
    OverallConnection overallConnection() const;

    /// Moves the earlier enrollment, then restores every saved enrollment in stored order; returns once
    /// every key has been read (the connections come up in tasks of their own).
    boost::asio::awaitable<void> restore();
    boost::asio::awaitable<void> moveEarlierEnrollment();
    boost::asio::awaitable<void> restore(Enrollment enrollment);
    /// Saves a new enrollment in place of the same organization's, then adds and connects it; returns
    /// the enrollment it replaced.
    boost::asio::awaitable<std::optional<Enrollment>> adopt(Enrollment enrollment,
                                                            std::shared_ptr<SecureEnclaveDeviceKey> key);
    /// Adds the organization's row (in place of the same organization's) and connects it.
    void addAndConnect(const Enrollment& enrollment, std::shared_ptr<const DeviceSigningKey> key);
    void connect(const Enrollment& enrollment, std::shared_ptr<const DeviceSigningKey> key);
    void setConnectionState(const ConnectionState& state, const std::string& deviceId);
    boost::asio::awaitable<void> remove(EnrolledOrganization organization);
    /// A profile the server sent: the row and the saved enrollment take it, and the photo, the
    /// command's login and the scopes are fetched again.
    void takeProfile(const DeviceProfile& profile, const std::string& deviceId,
                     const DeviceIdentity& identity);

Q_SIGNALS:
    void rowsChanged();
    void problemChanged();

private:
    void setProblem(std::optional<std::string> problem);
    void updateRecord(const std::string& deviceId, const DeviceProfile& profile);
    std::uint64_t nextConnectGeneration(const std::string& deviceId);

    Dependencies dependencies_;
    std::unique_ptr<OrganizationListModel> list_ = std::make_unique<OrganizationListModel>();
    std::optional<std::string> problem_;
    /// The saved list, used one operation at a time on the storage strand.
    std::optional<StrandConfined<SavedEnrollments>> savedEnrollments_;
    /// Per device id, the number of its latest connect; a connect whose number is no longer there
    /// (removed, replaced, connected again) leaves nothing behind.
    std::map<std::string, std::uint64_t> connectGenerations_;
    std::uint64_t connectCounter_ = 0;
    /// Last: the tasks still running are cancelled first.
    OwnedTasks tasks_;
};

} // namespace velto
