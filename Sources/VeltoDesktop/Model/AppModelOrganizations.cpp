// Restoring, connecting, adopting and removing organizations.
#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/Connection/Backoff.hpp"
#include "VeltoDevice/Keys/KeyStoreError.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <QPointer>
#include <exception>

namespace velto {

namespace {

boost::asio::awaitable<DeviceMessage::Hello> helloOf(QPointer<AppModel> model, DeviceMessage::Hello empty) {
    if (!model)
        co_return empty;
    co_return co_await model->makeHello();
}

/// Called by a connection on the device io_context at each dial: the model's hello, made on the main
/// thread, or the empty one once the model is gone.
boost::asio::awaitable<DeviceMessage::Hello>
helloFromMain(boost::asio::any_io_executor main, QPointer<AppModel> model, DeviceMessage::Hello empty) {
    auto making = helloOf(std::move(model), std::move(empty));
    co_return co_await runOn(std::move(main), std::move(making));
}

} // namespace

std::uint64_t AppModel::nextConnectGeneration(const std::string& deviceId) {
    connectGenerations_[deviceId] = ++connectCounter_;
    return connectCounter_;
}

boost::asio::awaitable<void> AppModel::moveEarlierEnrollment() {
    assertOnMainThread();
    if (!savedEnrollments_)
        co_return;
    auto earlier = services_->earlierEnrollment();
    if (!earlier)
        co_return;
    auto key = services_->earlierKey();
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

boost::asio::awaitable<void> AppModel::restore() {
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

boost::asio::awaitable<void> AppModel::restore(Enrollment enrollment) {
    assertOnMainThread();
    std::exception_ptr failure;
    std::optional<SecureEnclaveDeviceKey> key;
    try {
        auto reading = runBlocking(
            storage_, [store = keyStore_, id = enrollment.deviceId] { return store->existingKey(id); });
        key = co_await std::move(reading);
        if (!key)
            throw KeyStoreError::unreadableKey();
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        auto description = describe(failure);
        appLog().error("could not restore " + enrollment.organization.name + ": " + description);
        organizations_->append(EnrolledOrganization{enrollment, ConnectionState::stopped(description)});
        loadCachedPhoto(enrollment.deviceId);
        co_return;
    }
    appLog().info("restored enrollment in " + enrollment.organization.name);
    addAndConnect(enrollment, std::make_shared<SecureEnclaveDeviceKey>(std::move(*key)));
}

void AppModel::addAndConnect(const Enrollment& enrollment, std::shared_ptr<const DeviceSigningKey> key) {
    assertOnMainThread();
    EnrolledOrganization row{enrollment, ConnectionState::offline()};
    const auto& rows = organizations();
    auto same = std::find_if(rows.begin(), rows.end(), [&](const EnrolledOrganization& existing) {
        return existing.enrollment.isSameOrganization(enrollment);
    });
    if (same == rows.end()) {
        organizations_->append(std::move(row));
    } else {
        const auto index = static_cast<int>(same - rows.begin());
        const std::string oldId = same->id();
        organizations_->replace(index, std::move(row));
        if (oldId == enrollment.deviceId) {
            // The server kept the device id: only the old connection stops; the identity, the
            // observers and the login now belong to the new one.
            spawn("stop the replaced connection", connections_->stop(connections_->connection(oldId)));
        } else {
            connections_->cancelObservations(oldId);
            connectGenerations_.erase(oldId);
            spawn("remove the replaced connection",
                  [](QPointer<AppModel> model, std::string id) -> boost::asio::awaitable<void> {
                      co_await model->connections_->remove(id);
                      if (model)
                          co_await model->commandLine_->forgetLogin(id);
                  }(QPointer<AppModel>(this), oldId));
        }
    }
    loadCachedPhoto(enrollment.deviceId);
    connect(enrollment, std::move(key));
}

void AppModel::connect(const Enrollment& enrollment, std::shared_ptr<const DeviceSigningKey> key) {
    assertOnMainThread();
    DeviceIdentity identity(enrollment.server, std::move(key), services_->makeTransport());
    SessionHandlers handlers{runner_->jobs(), updateCoordinator_};
    commandLine_->remember(enrollment.deviceId, identity);
    const auto generation = nextConnectGeneration(enrollment.deviceId);
    DeviceConnection::MakeHello makeHello = [main = main_, model = QPointer<AppModel>(this),
                                             empty = environment_.emptyHello()] {
        return helloFromMain(main, model, empty);
    };
    auto connection =
        std::make_shared<DeviceConnection>(device_, identity, services_->makeDialer(), Backoff::standard(),
                                           services_->clock(), handlers, std::move(makeHello));
    spawn("connect " + enrollment.deviceId,
          [](QPointer<AppModel> model, std::shared_ptr<DeviceConnection> made, std::string id,
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
              auto adding = model->connections_->add(std::move(made), id, std::move(onState),
                                                     std::move(onProfile), std::move(isCurrent));
              const bool added = co_await std::move(adding);
              if (!added || !model)
                  co_return;
              co_await model->applyConnectionWish();
              if (model)
                  co_await model->commandLine_->refreshLogin(id);
          }(QPointer<AppModel>(this), std::move(connection), enrollment.deviceId, identity, generation));
}

void AppModel::setConnectionState(const ConnectionState& state, const std::string& deviceId) {
    assertOnMainThread();
    const int index = organizations_->indexOf(deviceId);
    if (index < 0)
        return;
    auto row = organizations()[static_cast<std::size_t>(index)];
    row.state = state;
    organizations_->replace(index, std::move(row));
}

boost::asio::awaitable<void> AppModel::remove(EnrolledOrganization organization) {
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
    organizations_->removeAll(deviceId);
    connectGenerations_.erase(deviceId);
    connections_->cancelObservations(deviceId);
    co_await connections_->remove(deviceId);
    co_await commandLine_->forgetLogin(deviceId);
    forgetPhoto(deviceId);
    if (deviceScopes_.erase(deviceId) > 0)
        Q_EMIT deviceScopesChanged();
}

} // namespace velto
