#pragma once

namespace velto::testing {

/// For cases that rely on a mode refusing access, which root is never refused. Not as root, returns
/// true: the case runs here. As root (CI), runs the current test again in a child of this test
/// program dropped to "nobody" by setpriv, with a folder of nobody's own as TMPDIR and HOME, records a
/// failure when the child does not pass that one test, and returns false: the caller returns at once.
///
///     if (!testing::runsUnprivileged())
///         return;
bool runsUnprivileged();

} // namespace velto::testing
