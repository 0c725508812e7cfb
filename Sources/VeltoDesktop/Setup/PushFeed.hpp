#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>

namespace velto {

/// The feed of pull-request events: a new card on top every 2.2 s, three cards shown.
struct PushFeed {
    static constexpr double period = 2.2;
    static constexpr double reducedPeriod = 3600;

    struct Sample {
        /// The name of one of our drawings.
        QString symbol;
        QColor tint;
        QString title;
        QString detail;
    };

    static const std::array<Sample, 5>& samples();
    /// The sample row of a sequence number, negative ones included: ((sequence mod 5) + 5) mod 5.
    static std::size_t sampleIndex(std::int64_t sequence);
    /// The sequences shown at `time`, newest first: n, n − 1, n − 2.
    static std::array<std::int64_t, 3> sequences(double time);
};

} // namespace velto
