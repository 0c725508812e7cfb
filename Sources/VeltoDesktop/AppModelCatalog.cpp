// The model catalog of the runner script.
#include "VeltoDesktop/AppModel.hpp"
#include "VeltoDesktop/MainThread.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <QPointer>

namespace velto {

namespace {

struct CatalogReading {
    ModelCatalogCache::Refresh refresh = ModelCatalogCache::Refresh::unchanged;
    std::optional<ModelCatalog> catalog;
};

boost::asio::awaitable<CatalogReading> refreshCatalog(std::shared_ptr<ModelCatalogCache> cache,
                                                      std::vector<HarnessReport> reports) {
    CatalogReading reading;
    reading.refresh = co_await cache->refresh(std::move(reports));
    reading.catalog = cache->catalog();
    co_return reading;
}

} // namespace

void AppModel::refreshModelsInBackground() {
    assertOnMainThread();
    auto reports = HarnessStatus::reports(harnesses_);
    spawn([](QPointer<AppModel> model, std::vector<HarnessReport> asked) -> boost::asio::awaitable<void> {
        if (model)
            co_await model->refreshModels(std::move(asked));
    }(QPointer<AppModel>(this), std::move(reports)));
}

boost::asio::awaitable<void> AppModel::refreshModels(std::vector<HarnessReport> reports) {
    assertOnMainThread();
    auto refreshing = refreshCatalog(modelCatalogCache_, std::move(reports));
    auto reading = co_await runOn(device_, std::move(refreshing));
    if (reading.refresh != ModelCatalogCache::Refresh::changed)
        co_return;
    modelCatalog_ = std::move(reading.catalog);
    co_await announceHello();
}

} // namespace velto
