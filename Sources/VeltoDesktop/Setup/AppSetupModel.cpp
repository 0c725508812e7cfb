#include "VeltoDesktop/Setup/AppSetupModel.hpp"

#include "VeltoDesktop/Model/AppModel.hpp"

namespace velto {

AppSetupModel::AppSetupModel(AppModel& model, std::function<void()> openSettings)
    : model_(model), pair_(model), federation_(model), monitoring_(model), commandLineTool_(model),
      openAtLogin_(model, std::move(openSettings)) {}

SetupFlow::Dependencies AppSetupModel::flowDependencies(UrlOpening& opener,
                                                        boost::asio::any_io_executor main) {
    return {pair_, federation_, monitoring_, commandLineTool_, openAtLogin_, *this, opener, std::move(main)};
}

void AppSetupModel::setHasFinishedSetup(bool finished) {
    model_.preferences().setHasFinishedSetup(finished);
}

} // namespace velto
