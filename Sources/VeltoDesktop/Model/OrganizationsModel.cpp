// The organizations: restoring, connecting, adopting and removing them, and the profiles they send.
#include "VeltoDesktop/Model/OrganizationsModel.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/Connection/Backoff.hpp"
#include "VeltoDevice/Keys/KeyStoreError.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"

#include <QPointer>
#include <algorithm>
#include <exception>

namespace velto {

OrganizationsModel::OrganizationsModel(Dependencies dependencies)
    : dependencies_(std::move(dependencies)), tasks_(*this, dependencies_.main, appLog()) {
    QObject::connect(list_.get(), &OrganizationListModel::rowsChanged, this,
                     &OrganizationsModel::rowsChanged);
    if (auto saved = dependencies_.services->makeSavedEnrollments())
        savedEnrollments_.emplace(dependencies_.services->storageExecutor(), *saved);
}

void OrganizationsModel::setProblem(std::optional<std::string> problem) {
    assignNotifying(*this, problem_, std::move(problem), &OrganizationsModel::problemChanged);
}

std::vector<Enrollment> OrganizationsModel::enrollments() const {
    std::vector<Enrollment> list;
    for (const auto& row : rows())
        list.push_back(row.enrollment);
    return list;
}

std::vector<std::string> OrganizationsModel::deviceIds() const {
    std::vector<std::string> ids;
    for (const auto& row : rows())
        ids.push_back(row.id());
    return ids;
}

OverallConnection OrganizationsModel::overallConnection() const {
    std::vector<ConnectionState> states;
    for (const auto& row : rows())
        states.push_back(row.state);
    return velto::overallConnection(states);
}

std::uint64_t OrganizationsModel::nextConnectGeneration(const std::string& deviceId) {
    connectGenerations_[deviceId] = ++connectCounter_;
    return connectCounter_;
}

boost::asio::awaitable<void> OrganizationsModel::moveEarlierEnrollment() {
    assertOnMainThread();
    if (!savedEnrollments_)
        co_return;
    auto earlier = dependencies_.services->earlierEnrollment();
    if (!earlier)
        co_return;
    auto key = dependencies_.services->earlierKey();
    std::exception_ptr failure;
    try {
        auto moving = savedEnrollments_->run(
            [earlier, key](SavedEnrollments& saved) { saved.moveEarlierEnrollment(*earlier, *key); });
        co_await std::move(moving);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        auto description = describe(failure);
        appLog().error("could not move the earlier enrollment: " + description);
        setProblem(description);
    }
}

boost::asio::awaitable<void> OrganizationsModel::restore() {
    assertOnMainThread();
    co_await moveEarlierEnrollment();
    std::vector<Enrollment> saved;
    if (savedEnrollments_) {
        std::exception_ptr failure;
        try {
            auto loading =
                savedEnrollments_->run([](SavedEnrollments& enrollments) { return enrollments.load(); });
            saved = co_await std::move(loading);
        } catch (...) {
            failure = std::current_exception();
        }
        if (failure) {
            auto description = describe(failure);
            appLog().error("could not read the enrollments: " + description);
            setProblem(description);
            co_return;
        }
    }
    if (saved.empty()) {
        appLog().info("not enrolled");
        co_return;
    }
    for (auto& enrollment : saved)
        co_await restore(std::move(enrollment));
}

boost::asio::awaitable<void> OrganizationsModel::restore(Enrollment enrollment) {
    assertOnMainThread();
    std::exception_ptr failure;
    std::optional<SecureEnclaveDeviceKey> key;
    try {
        auto reading = runBlocking(
            dependencies_.services->storageExecutor(),
            [store = dependencies_.keyStore, id = enrollment.deviceId] { return store->existingKey(id); });
        key = co_await std::move(reading);
        if (!key)
            throw KeyStoreError::unreadableKey();
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        auto description = describe(failure);
        appLog().error("could not restore " + enrollment.organization.name + ": " + description);
        list_->append(EnrolledOrganization{enrollment, ConnectionState::stopped(description)});
        dependencies_.photos.loadCachedPhoto(enrollment.deviceId);
        co_return;
    }
    appLog().info("restored enrollment in " + enrollment.organization.name);
    addAndConnect(enrollment, std::make_shared<SecureEnclaveDeviceKey>(std::move(*key)));
}

boost::asio::awaitable<std::optional<Enrollment>>
OrganizationsModel::adopt(Enrollment enrollment, std::shared_ptr<SecureEnclaveDeviceKey> key) {
    assertOnMainThread();
    std::optional<Enrollment> replaced;
    if (savedEnrollments_) {
        auto saving =
            savedEnrollments_->run([enrollment = enrollment, data = key->dataRepresentation()](
                                       SavedEnrollments& saved) { return saved.add(enrollment, data); });
        replaced = co_await std::move(saving);
    }
    addAndConnect(enrollment, key);
    co_return replaced;
}

void OrganizationsModel::addAndConnect(const Enrollment& enrollment,
                                       std::shared_ptr<const DeviceSigningKey> key) {
    assertOnMainThread();
    EnrolledOrganization row{enrollment, ConnectionState::offline()};
    const auto& rows = this->rows();
    auto same = std::find_if(rows.begin(), rows.end(), [&](const EnrolledOrganization& existing) {
        return existing.enrollment.isSameOrganization(enrollment);
    });
    if (same == rows.end()) {
        list_->append(std::move(row));
    } else {
        const auto index = static_cast<int>(same - rows.begin());
        const std::string oldId = same->id();
        list_->replace(index, std::move(row));
        if (oldId == enrollment.deviceId) {
            // The server kept the device id: only the old connection stops; the identity, the
            // observers and the login now belong to the new one.
            tasks_.spawn("stop the replaced connection",
                         dependencies_.connections.stop(dependencies_.connections.connection(oldId)));
        } else {
            dependencies_.connections.cancelObservations(oldId);
            connectGenerations_.erase(oldId);
            tasks_.spawn(
                "remove the replaced connection",
                [](QPointer<OrganizationsModel> model, std::string id) -> boost::asio::awaitable<void> {
                    co_await model->dependencies_.connections.remove(id);
                    if (model)
                        co_await model->dependencies_.commandLine.forgetLogin(id);
                }(QPointer<OrganizationsModel>(this), oldId));
        }
    }
    dependencies_.photos.loadCachedPhoto(enrollment.deviceId);
    connect(enrollment, std::move(key));
}

void OrganizationsModel::connect(const Enrollment& enrollment, std::shared_ptr<const DeviceSigningKey> key) {
    assertOnMainThread();
    const auto& services = dependencies_.services;
    DeviceIdentity identity(enrollment.server, std::move(key), services->makeTransport());
    SessionHandlers handlers{dependencies_.runner->jobs(), dependencies_.updates};
    dependencies_.commandLine.remember(enrollment.deviceId, identity);
    const auto generation = nextConnectGeneration(enrollment.deviceId);
    auto connection = std::make_shared<DeviceConnection>(
        services->deviceExecutor(), identity, services->makeDialer(), Backoff::standard(), services->clock(),
        handlers, dependencies_.makeHello);
    tasks_.spawn(
        "connect " + enrollment.deviceId,
        [](QPointer<OrganizationsModel> model, std::shared_ptr<DeviceConnection> made, std::string id,
           DeviceIdentity signer, std::uint64_t number) -> boost::asio::awaitable<void> {
            std::function<bool()> isCurrent = [model, id, number] {
                if (!model)
                    return false;
                auto found = model->connectGenerations_.find(id);
                return found != model->connectGenerations_.end() && found->second == number;
            };
            OrganizationConnections::OnState onState = [model, id](ConnectionState state) {
                if (model)
                    model->setConnectionState(state, id);
            };
            OrganizationConnections::OnProfile onProfile = [model, id, signer](DeviceProfile profile) {
                if (model)
                    model->takeProfile(profile, id, signer);
            };
            auto adding = model->dependencies_.connections.add(std::move(made), id, std::move(onState),
                                                               std::move(onProfile), std::move(isCurrent));
            const bool added = co_await std::move(adding);
            if (!added || !model)
                co_return;
            auto wish = model->dependencies_.applyConnectionWish;
            auto applying = wish();
            co_await std::move(applying);
            if (model)
                co_await model->dependencies_.commandLine.refreshLogin(id);
        }(QPointer<OrganizationsModel>(this), std::move(connection), enrollment.deviceId, identity,
                                                        generation));
}

void OrganizationsModel::setConnectionState(const ConnectionState& state, const std::string& deviceId) {
    assertOnMainThread();
    const int index = list_->indexOf(deviceId);
    if (index < 0)
        return;
    auto row = rows()[static_cast<std::size_t>(index)];
    row.state = state;
    list_->replace(index, std::move(row));
}

boost::asio::awaitable<void> OrganizationsModel::remove(EnrolledOrganization organization) {
    assertOnMainThread();
    const auto deviceId = organization.id();
    if (savedEnrollments_) {
        std::exception_ptr failure;
        try {
            auto removing =
                savedEnrollments_->run([enrollment = organization.enrollment](SavedEnrollments& saved) {
                    saved.remove(enrollment);
                });
            co_await std::move(removing);
        } catch (...) {
            failure = std::current_exception();
        }
        if (failure) {
            auto description = describe(failure);
            appLog().error("could not remove " + organization.enrollment.organization.name + ": " +
                           description);
            setProblem(description);
            co_return;
        }
    }
    list_->removeAll(deviceId);
    connectGenerations_.erase(deviceId);
    dependencies_.connections.cancelObservations(deviceId);
    co_await dependencies_.connections.remove(deviceId);
    co_await dependencies_.commandLine.forgetLogin(deviceId);
    dependencies_.photos.forgetPhoto(deviceId);
    dependencies_.scopes.forget(deviceId);
}

void OrganizationsModel::takeProfile(const DeviceProfile& profile, const std::string& deviceId,
                                     const DeviceIdentity& identity) {
    assertOnMainThread();
    updateRecord(deviceId, profile);
    tasks_.spawn("sync the photo of " + deviceId,
                 dependencies_.photos.syncPhoto(profile.organization, deviceId, identity));
    tasks_.spawn("renew the command's login of " + deviceId,
                 dependencies_.commandLine.refreshLogin(deviceId));
    tasks_.spawn("refresh the scopes of " + deviceId, dependencies_.scopes.refreshScopes(deviceId));
}

void OrganizationsModel::updateRecord(const std::string& deviceId, const DeviceProfile& profile) {
    const int index = list_->indexOf(deviceId);
    if (index < 0)
        return;
    auto row = rows()[static_cast<std::size_t>(index)];
    row.enrollment = row.enrollment.updated(profile);
    list_->replace(index, std::move(row));
    if (!savedEnrollments_)
        return;
    tasks_.spawn("save the profile of " + deviceId,
                 [](StrandConfined<SavedEnrollments> saved, std::string id,
                    DeviceProfile received) -> boost::asio::awaitable<void> {
                     std::exception_ptr failure;
                     try {
                         auto saving = saved.run([id, received](SavedEnrollments& enrollments) {
                             return enrollments.refresh(id, received);
                         });
                         co_await std::move(saving);
                     } catch (...) {
                         failure = std::current_exception();
                     }
                     if (failure && !isCancellation(failure))
                         appLog().error("could not save the profile of " + id + ": " + describe(failure));
                 }(*savedEnrollments_, deviceId, profile));
}

} // namespace velto
