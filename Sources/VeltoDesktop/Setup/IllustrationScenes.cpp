#include "VeltoDesktop/Setup/IllustrationScenes.hpp"

#include "VeltoDesktop/Setup/LoginItemScene.hpp"
#include "VeltoDesktop/Setup/Orbiter.hpp"
#include "VeltoDesktop/Setup/PairingScene.hpp"
#include "VeltoDesktop/Setup/PushFeed.hpp"
#include "VeltoDesktop/Setup/TerminalScript.hpp"
#include "VeltoDesktop/Setup/Tick.hpp"

#include <algorithm>
#include <cmath>

namespace velto {

namespace {

PairStage::Case stageNamed(const QString& name) {
    static const std::pair<const char*, PairStage::Case> names[] = {
        {"confirming", PairStage::Case::confirming},
        {"paired", PairStage::Case::paired},
        {"failed", PairStage::Case::failed},
        {"address", PairStage::Case::address},
        {"waitingForBrowser", PairStage::Case::waitingForBrowser},
        {"pairing", PairStage::Case::pairing},
    };
    for (const auto& [text, stage] : names) {
        if (name == QLatin1String(text))
            return stage;
    }
    return PairStage::Case::address;
}

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

} // namespace

QVariantMap IllustrationScenes::pairing(const QString& stage, double width, double height,
                                        double time) const {
    const auto scene = PairingScene::of(stageNamed(stage), QSizeF(width, height), time);
    QVariantList pulses;
    for (const auto& pulse : scene.pulses) {
        pulses.push_back(QVariantMap{{QStringLiteral("x"), pulse.center.x()},
                                     {QStringLiteral("y"), pulse.center.y()},
                                     {QStringLiteral("opacity"), pulse.opacity}});
    }
    QVariantMap badge;
    if (scene.badge) {
        badge = {{QStringLiteral("symbol"), scene.badge->symbol},
                 {QStringLiteral("tint"), static_cast<int>(scene.badge->tint)},
                 {QStringLiteral("x"), scene.badge->center.x()},
                 {QStringLiteral("y"), scene.badge->center.y()}};
    }
    return {{QStringLiteral("start"), scene.arc.start},
            {QStringLiteral("control"), scene.arc.control},
            {QStringLiteral("end"), scene.arc.end},
            {QStringLiteral("tint"), static_cast<int>(scene.tint)},
            {QStringLiteral("arcOpacity"), scene.arcOpacity},
            {QStringLiteral("isDashed"), scene.isDashed},
            {QStringLiteral("pulses"), pulses},
            {QStringLiteral("badge"), badge}};
}

bool IllustrationScenes::pairingMoves(const QString& stage, bool reduceMotion) const {
    return PairingScene::moves(stageNamed(stage), reduceMotion);
}

QVariantList IllustrationScenes::orbiters(double side, double time) const {
    QVariantList chips;
    for (const auto& orbiter : Orbiter::all()) {
        const auto placed = orbiter.placement(side, time);
        chips.push_back(QVariantMap{{QStringLiteral("kind"), text(rawValue(orbiter.kind))},
                                    {QStringLiteral("x"), placed.x},
                                    {QStringLiteral("y"), placed.y},
                                    {QStringLiteral("scale"), placed.scale},
                                    {QStringLiteral("opacity"), placed.opacity},
                                    {QStringLiteral("z"), placed.z}});
    }
    return chips;
}

bool IllustrationScenes::showsLoginWindow(double time, bool reduceMotion) const {
    return LoginItemScene::showsLoginWindow(time, reduceMotion);
}

QVariantList IllustrationScenes::feed(double time) const {
    QVariantList cards;
    for (auto sequence : PushFeed::sequences(time)) {
        const auto& sample = PushFeed::samples()[PushFeed::sampleIndex(sequence)];
        cards.push_back(QVariantMap{{QStringLiteral("sequence"), static_cast<qlonglong>(sequence)},
                                    {QStringLiteral("symbol"), sample.symbol},
                                    {QStringLiteral("tint"), sample.tint.name()},
                                    {QStringLiteral("title"), sample.title},
                                    {QStringLiteral("detail"), sample.detail}});
    }
    return cards;
}

QVariantList IllustrationScenes::terminalLines() const {
    static const char* kinds[] = {"command", "note", "finding"};
    QVariantList lines;
    for (const auto& line : TerminalScript::review()) {
        lines.push_back(
            QVariantMap{{QStringLiteral("id"), line.id},
                        {QStringLiteral("kind"), QLatin1String(kinds[static_cast<int>(line.kind)])},
                        {QStringLiteral("text"), line.text},
                        {QStringLiteral("badge"), line.badge},
                        {QStringLiteral("fill"), line.badgeFill},
                        {QStringLiteral("lettering"), line.badgeText}});
    }
    return lines;
}

QVariantMap IllustrationScenes::terminalPalette() const {
    using Palette = TerminalScript::Palette;
    return {{QStringLiteral("window"), Palette::window()}, {QStringLiteral("text"), Palette::text()},
            {QStringLiteral("quiet"), Palette::quiet()},   {QStringLiteral("prompt"), Palette::prompt()},
            {QStringLiteral("high"), Palette::high()},     {QStringLiteral("medium"), Palette::medium()}};
}

int IllustrationScenes::terminalLinesShown(double time, bool reduceMotion) const {
    return TerminalScript::linesShown(time, reduceMotion);
}

int IllustrationScenes::untilNextTick(double time, double period) const {
    if (!(period > 0))
        return 1000;
    return std::max(1, static_cast<int>(std::ceil(Tick::untilNext(time, period) * 1000)));
}

} // namespace velto
