#include "VeltoDesktop/AppDelegate.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"

#include <boost/url/parse.hpp>

#include <QPointer>

namespace velto {

AppDelegate::AppDelegate(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services,
                         std::function<void()> terminate)
    : main_(std::move(main)), services_(std::move(services)), terminate_(std::move(terminate)),
      model_(std::make_unique<AppModel>(main_, services_)), trimmer_(std::chrono::seconds(2)) {
    // Every connection state the sessions pass through changes the rows: a launch, a wake or a
    // reconnection that settles leaves its handshakes' buffers free to give back.
    QObject::connect(&model_->organizations(), &OrganizationsModel::rowsChanged, &trimmer_,
                     [this] { trimmer_.settle(); });
}

AppDelegate::~AppDelegate() = default;

bool AppDelegate::isLink(std::string_view argument) {
    if (argument.empty() || argument.size() > maximumLinkLength)
        return false;
    auto parsed = boost::urls::parse_uri(argument);
    if (!parsed)
        return false;
    auto scheme = parsed->scheme();
    return scheme.size() == 5 && (scheme[0] | 0x20) == 'v' && (scheme[1] | 0x20) == 'e' &&
           (scheme[2] | 0x20) == 'l' && (scheme[3] | 0x20) == 't' && (scheme[4] | 0x20) == 'o';
}

void AppDelegate::setSurfaces(std::shared_ptr<AppSurfaces> surfaces) {
    surfaces_ = std::move(surfaces);
    if (surfaces_)
        surfaces_->attach(*model_);
}

void AppDelegate::forwarded(const std::vector<std::string>& links) {
    assertOnMainThread();
    if (links.empty()) {
        if (surfaces_ && hasFinishedLaunching_)
            surfaces_->bringForward();
        return;
    }
    open(links);
}

void AppDelegate::willFinishLaunching() {
    assertOnMainThread();
    model_->spawn("prepare the launch", prepare());
}

boost::asio::awaitable<void> AppDelegate::prepare() {
    QPointer<AppDelegate> self(this);
    co_await model_->organizations().restore();
    if (!self)
        co_return;
    model_->enrollment().setPresentPrompt([self] {
        if (!self)
            return;
        // A spend's outcome goes where its proposal was confirmed: after a first enrollment its
        // organization is already listed, yet the result belongs to the setup flow.
        if (!self->model_->enrollment().inFlight().isSpending())
            self->promptInSetup_ = self->model_->organizations().rows().empty();
        if (!self->promptInSetup_) {
            if (self->surfaces_) {
                appLog().info("the enrollment prompt opens in the enrollment window");
                self->surfaces_->showEnrollmentPrompt();
            } else {
                appLog().info(
                    "the enrollment prompt would open in the enrollment window: it waits for confirmation");
            }
            return;
        }
        // A first enrollment is confirmed inside the setup flow.
        appLog().info("the enrollment prompt opens in the setup window");
        self->showSetup();
    });
    model_->setPresentSetup([self] {
        if (self)
            self->showSetup();
    });
    isReady_ = true;
    Q_EMIT ready();
    if (launchLink_) {
        auto link = std::move(*launchLink_);
        launchLink_.reset();
        model_->enrollment().propose(std::string_view(link));
    }
    if (wantsFinishLaunching_)
        finishLaunching();
}

void AppDelegate::showSetup() {
    if (showSetup_)
        showSetup_();
    else
        appLog().info("the setup window would open");
}

void AppDelegate::didFinishLaunching() {
    assertOnMainThread();
    // The long-running work needs the restored organizations: it starts once ready.
    wantsFinishLaunching_ = true;
    if (isReady_)
        finishLaunching();
}

void AppDelegate::finishLaunching() {
    if (hasFinishedLaunching_)
        return;
    hasFinishedLaunching_ = true;
    if (surfaces_) {
        surfaces_->showStatusItem();
        std::weak_ptr<AppSurfaces> surfaces = surfaces_;
        model_->setCloseMenu([surfaces] {
            if (auto shown = surfaces.lock())
                shown->closeMenu();
        });
    } else {
        appLog().info("no status item yet: the agent runs without windows");
        model_->setCloseMenu([] { appLog().info("the menu would close"); });
    }
    powerEvents_ =
        std::make_unique<PowerEvents>(main_, services_->powerEvents(), QPointer<AppModel>(model_.get()));
    powerEvents_->observe();
    model_->startUpdates(terminate_);
    model_->commandLine().keepLogins();
    if (model_->setupProgress() != SetupProgress::finished)
        model_->presentSetup();
    model_->spawn("detect the harnesses and reconcile the add-ons",
                  [](QPointer<HarnessesModel> harnesses) -> boost::asio::awaitable<void> {
                      co_await harnesses->refresh();
                      if (harnesses)
                          co_await harnesses->reconcileAgents();
                  }(&model_->harnesses()));
    Q_EMIT launched();
}

void AppDelegate::open(const std::vector<std::string>& arguments) {
    assertOnMainThread();
    std::optional<std::string> first;
    for (const auto& argument : arguments) {
        if (!isLink(argument)) {
            appLog().info("ignored an argument that is not a link");
            continue;
        }
        if (!first)
            first = argument;
    }
    if (!first)
        return;
    if (isReady_) {
        model_->enrollment().propose(std::string_view(*first));
    } else {
        launchLink_ = std::move(first);
    }
}

void AppDelegate::willTerminate() {
    assertOnMainThread();
    if (powerEvents_)
        powerEvents_->cancel();
}

} // namespace velto
