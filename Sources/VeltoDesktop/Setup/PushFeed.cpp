#include "VeltoDesktop/Setup/PushFeed.hpp"

#include "VeltoDesktop/Setup/Tick.hpp"

namespace velto {

const std::array<PushFeed::Sample, 5>& PushFeed::samples() {
    static const std::array<Sample, 5> rows{{
        {QStringLiteral("sparkles"), QColor::fromRgbF(0.69f, 0.32f, 0.87f), QStringLiteral("Velto review"),
         QStringLiteral("2 findings on #482")},
        {QStringLiteral("checkmark-seal-fill"), QColor::fromRgbF(0.2f, 0.78f, 0.35f),
         QStringLiteral("Checks passed"), QStringLiteral("build, e2e, lint")},
        {QStringLiteral("text-bubble-fill"), QColor::fromRgbF(0.0f, 0.48f, 1.0f),
         QStringLiteral("New comment"), QStringLiteral("teammate on velto.ts:42")},
        {QStringLiteral("arrow-triangle-branch"), QColor::fromRgbF(1.0f, 0.58f, 0.0f),
         QStringLiteral("Pushed"), QStringLiteral("fix(app): handle 4408")},
        {QStringLiteral("hand-thumbsup-fill"), QColor::fromRgbF(1.0f, 0.18f, 0.33f),
         QStringLiteral("Approved"), QStringLiteral("#482 by teammate")},
    }};
    return rows;
}

std::size_t PushFeed::sampleIndex(std::int64_t sequence) {
    return static_cast<std::size_t>(Tick::modulo(sequence, 5));
}

std::array<std::int64_t, 3> PushFeed::sequences(double time) {
    const auto n = Tick::number(time, period);
    return {n, n - 1, n - 2};
}

} // namespace velto
