#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

namespace velto {

/// The setup pictures' geometry and choices as the views read them: each a function of the time
/// (seconds since 1 January 2001 UTC), the picture's size and the reduced-motion wish. No state.
class IllustrationScenes final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    /// The pairing picture for a stage name: arc points, tint, opacity, dash, pulses and badge.
    Q_INVOKABLE QVariantMap pairing(const QString& stage, double width, double height, double time) const;
    Q_INVOKABLE bool pairingMoves(const QString& stage, bool reduceMotion) const;
    /// Eight chips: kind, x, y, scale, opacity and z in a square of `side`.
    Q_INVOKABLE QVariantList orbiters(double side, double time) const;
    Q_INVOKABLE bool showsLoginWindow(double time, bool reduceMotion) const;
    /// Three cards, newest first: sequence, symbol, tint, title, detail.
    Q_INVOKABLE QVariantList feed(double time) const;
    /// The review's lines: id, kind, text, badge, fill and lettering.
    Q_INVOKABLE QVariantList terminalLines() const;
    /// The terminal's colours: window, text, quiet, prompt, high and medium.
    Q_INVOKABLE QVariantMap terminalPalette() const;
    Q_INVOKABLE int terminalLinesShown(double time, bool reduceMotion) const;
    /// Milliseconds to the next tick of `period`, at least 1.
    Q_INVOKABLE int untilNextTick(double time, double period) const;
};

} // namespace velto
