#include "VeltoDesktop/Setup/TerminalScript.hpp"

#include "VeltoDesktop/Setup/Tick.hpp"

#include <algorithm>

namespace velto {

const std::array<TerminalScript::Line, 5>& TerminalScript::review() {
    static const std::array<Line, 5> lines{{
        {0, Line::Kind::command, QStringLiteral("velto review"), {}, {}, {}},
        {1, Line::Kind::note, QStringLiteral("Reviewing 3 files against origin/main"), {}, {}, {}},
        {2, Line::Kind::finding, QStringLiteral("refund.ts:42  charges twice"), QStringLiteral("P1"),
         Palette::high(), QColor(Qt::white)},
        {3, Line::Kind::finding, QStringLiteral("ledger.ts:17  cents as dollars"), QStringLiteral("P2"),
         Palette::medium(), QColor(Qt::black)},
        {4, Line::Kind::note, QStringLiteral("2 findings. Nothing was posted."), {}, {}, {}},
    }};
    return lines;
}

int TerminalScript::linesShown(double time, bool reduceMotion) {
    const auto count = static_cast<int>(review().size());
    if (reduceMotion)
        return count;
    return std::min<int>(count, static_cast<int>(Tick::modulo(Tick::number(time, period), beats)) + 1);
}

} // namespace velto
