#include "VeltoDesktop/Setup/PairPresenter.hpp"

#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Setup/PairStepModel.hpp"
#include "VeltoDesktop/Setup/PairStepTexts.hpp"
#include "VeltoDesktop/Setup/SetupErrorText.hpp"
#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"
#include "VeltoDesktop/Views/ProfileBadge.hpp"
#include "VeltoDesktop/Views/ServerAuthority.hpp"
#include "VeltoDesktop/Views/UrlOpening.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"
#include "VeltoDevice/Support/Ascii.hpp"
#include "VeltoDevice/Support/UnicodeText.hpp"

#include <QPointer>
#include <QStringList>
#include <exception>

namespace velto {

namespace {

constexpr std::string_view secureScheme = "https://";

bool isSchemeCharacter(char c, bool isFirst) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (isFirst)
        return letter;
    return letter || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

/// Whether the text starts with a scheme (RFC 3986: a letter, then letters, digits, "+", "-", ".")
/// and "://".
bool startsWithScheme(std::string_view text) {
    std::size_t index = 0;
    while (index < text.size() && isSchemeCharacter(text[index], index == 0))
        ++index;
    return index > 0 && text.substr(index).substr(0, 3) == "://";
}

/// At most `PairPresenter::maximumFieldLength` characters, cut between characters.
std::string capped(std::string text) {
    if (text.size() <= static_cast<std::size_t>(PairPresenter::maximumFieldLength))
        return text;
    auto shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (shown.size() <= PairPresenter::maximumFieldLength)
        return text;
    shown.truncate(PairPresenter::maximumFieldLength);
    if (shown.back().isHighSurrogate())
        shown.chop(1);
    return shown.toStdString();
}

} // namespace

PairPresenter::PairPresenter(PairStepModel& model, UrlOpening& opener, SetupTaskStart start, QObject* parent)
    : QObject(parent), model_(model), opener_(opener), start_(std::move(start)) {
    // Only a leading scheme goes: the rest of the saved address stays as the user typed it.
    std::string saved = model_.enrollmentForm().serverAddress();
    if (asciiLowercased(std::string_view(saved).substr(0, secureScheme.size())) == secureScheme)
        saved.erase(0, secureScheme.size());
    address_ = capped(std::move(saved));

    auto& form = model_.enrollmentForm();
    connect(&form, &EnrollmentForm::codeChanged, this, &PairPresenter::codeChanged);
    connect(&form, &EnrollmentForm::errorChanged, this, &PairPresenter::codeErrorChanged);
    connect(&model_, &PairStepModel::enrollmentPromptChanged, this, &PairPresenter::refreshStage);
    connect(&model_, &PairStepModel::enrollmentInFlightChanged, this, &PairPresenter::refreshStage);
    connect(&model_, &PairStepModel::organizationsChanged, this, &PairPresenter::refreshStage);
    stage_ = PairStage::of(model_.enrollmentPrompt(), model_.enrollments(), isWaitingForBrowser_);
}

std::string PairPresenter::withScheme(std::string_view text) {
    const auto trimmed = unicode::trimmingWhitespace(text);
    if (startsWithScheme(trimmed))
        return std::string(trimmed);
    return std::string(secureScheme) + std::string(trimmed);
}

void PairPresenter::setAddress(std::string address) {
    assignNotifying(*this, address_, capped(std::move(address)), &PairPresenter::addressChanged);
}

void PairPresenter::setShowsCodeEntry(bool shows) {
    assignNotifying(*this, showsCodeEntry_, shows, &PairPresenter::showsCodeEntryChanged);
}

void PairPresenter::refreshStage() {
    auto stage = PairStage::of(model_.enrollmentPrompt(), model_.enrollments(), isWaitingForBrowser_);
    assignNotifying(*this, stage_, std::move(stage), &PairPresenter::stageChanged);
}

std::optional<boost::urls::url> PairPresenter::pairingPage() {
    assignNotifying(*this, addressError_, std::nullopt, &PairPresenter::addressErrorChanged);
    std::optional<VeltoServer> server;
    try {
        server = VeltoServer::fromAddress(withScheme(address_));
    } catch (const std::exception& error) {
        assignNotifying(*this, addressError_, SetupErrorText::of(error), &PairPresenter::addressErrorChanged);
        return std::nullopt;
    }
    model_.enrollmentForm().setServerAddress(std::string(server->baseURL().buffer()));
    return server->macPairingPage();
}

void PairPresenter::openPairingPage() {
    auto page = pairingPage();
    if (!page)
        return;
    // Only the latest request's answer counts: an earlier opener may answer after it.
    const auto request = ++pageRequests_;
    opener_.open(*page, [self = QPointer<PairPresenter>(this), request,
                         shown = std::string(page->buffer())](bool opened) mutable {
        if (self && request == self->pageRequests_)
            self->pageOpened(std::move(shown), opened);
    });
}

void PairPresenter::pageOpened(std::string page, bool opened) {
    // A page no browser took leaves nothing to wait for: it is shown for the user to open by hand.
    assignNotifying(*this, unopenedPage_, opened ? std::nullopt : std::optional<std::string>(std::move(page)),
                    &PairPresenter::unopenedPageChanged);
    isWaitingForBrowser_ = opened;
    refreshStage();
}

void PairPresenter::submitCode() {
    auto& form = model_.enrollmentForm();
    form.setServerAddress(withScheme(address_));
    std::optional<EnrollmentLink> link;
    try {
        link = form.link();
    } catch (const std::exception& error) {
        form.setError(SetupErrorText::ofCode(error, form.code()));
        return;
    }
    model_.propose(*link);
}

void PairPresenter::cancelPairing() {
    if (!model_.isSpending())
        model_.dismissPrompt();
    ++pageRequests_; // an opener that answers later no longer counts
    isWaitingForBrowser_ = false;
    assignNotifying(*this, unopenedPage_, std::nullopt, &PairPresenter::unopenedPageChanged);
    refreshStage();
}

void PairPresenter::confirmPairing() {
    start_("confirm the enrollment", model_.confirmEnrollment());
}

QString PairPresenter::addressErrorText() const {
    return addressError_ ? DisplayText::paragraph(*addressError_) : QString();
}

QString PairPresenter::unopenedPageText() const {
    // Our own URL of a validated server: ASCII, and copied as it stands.
    return unopenedPage_ ? QString::fromStdString(*unopenedPage_) : QString();
}

QString PairPresenter::codeEntryToggle() const {
    return UserTexts::codeEntryToggle(showsCodeEntry_);
}

QString PairPresenter::codeText() const {
    return QString::fromStdString(model_.enrollmentForm().code());
}

void PairPresenter::setCodeText(const QString& code) {
    model_.enrollmentForm().setCode(code.left(maximumFieldLength).toStdString());
}

QString PairPresenter::codeErrorText() const {
    const auto& error = model_.enrollmentForm().error();
    return error ? DisplayText::paragraph(*error) : QString();
}

QString PairPresenter::stageName() const {
    const auto name = stage_.name();
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString PairPresenter::title() const {
    return PairStepTexts::title(stage_);
}

QString PairPresenter::message() const {
    return PairStepTexts::message(stage_);
}

QVariantMap PairPresenter::avatar() const {
    const auto* paired = stage_.as<PairStage::Paired>();
    if (!paired || paired->enrollments.empty())
        return {};
    const ProfileBadge user(paired->enrollments.front().user);
    return {{QStringLiteral("address"), QString::fromStdString(user.avatarAddress)},
            {QStringLiteral("initial"), user.initial}};
}

QVariantMap PairPresenter::confirmation() const {
    const auto* confirming = stage_.as<PairStage::Confirming>();
    if (!confirming)
        return {};
    const auto& proposal = confirming->gate.proposal();
    const ServerAuthority server(proposal.link.server());
    QStringList codes;
    for (const auto& code : proposal.displayCodes())
        codes.push_back(QString::fromStdString(code));
    const auto count = static_cast<int>(proposal.organizationCount());
    const bool showsTiles = !codes.isEmpty() && count == 1;
    return {{QStringLiteral("authority"), server.authority},
            {QStringLiteral("address"), server.address},
            {QStringLiteral("cleartextNote"), server.cleartextNote.value_or(QString())},
            {QStringLiteral("showsTiles"), showsTiles},
            {QStringLiteral("tileCode"), showsTiles ? codes.front() : QString()},
            {QStringLiteral("countLine"), UserTexts::joinsOrganizations(count)},
            {QStringLiteral("codes"), codes}};
}

} // namespace velto
