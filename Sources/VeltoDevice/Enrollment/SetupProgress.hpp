#pragma once

namespace velto {

/// How far first-run setup got.
enum class SetupProgress { unpaired, pairedWithChoicesLeft, finished };

/// Not enrolled is `unpaired` whatever the setup flag; enrolled is `finished` once setup was finished,
/// else `pairedWithChoicesLeft`.
SetupProgress setupProgress(bool isEnrolled, bool hasFinishedSetup);

/// True for every case but `finished`.
bool isUnfinished(SetupProgress progress);

} // namespace velto
