#include "VeltoDesktop/Setup/LoginItemScene.hpp"

#include "VeltoDesktop/Setup/Tick.hpp"

namespace velto {

bool LoginItemScene::showsLoginWindow(double time, bool reduceMotion) {
    // The tick is counted in 1.6 s also when the picture only ticks once an hour.
    return !reduceMotion && Tick::modulo(Tick::number(time, period), 4) == 0;
}

} // namespace velto
