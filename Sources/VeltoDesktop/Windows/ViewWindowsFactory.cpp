// The windows module's one exported function, which the executable looks up by name.
#include "VeltoDesktop/Windows/QuickViewWindows.hpp"

extern "C" __attribute__((visibility("default"))) velto::ViewWindows*
veltoMakeViewWindows(const velto::ViewWindows::Context& context) {
    return new velto::QuickViewWindows(context);
}
