#pragma once

namespace velto {

/// Debug builds stop when model code runs off the Qt main thread; release builds check nothing.
void assertOnMainThread();

} // namespace velto
