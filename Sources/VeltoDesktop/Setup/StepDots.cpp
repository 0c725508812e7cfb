#include "VeltoDesktop/Setup/StepDots.hpp"

#include "VeltoDesktop/UserTexts.hpp"

#include <algorithm>

namespace velto {

StepDots StepDots::of(SetupStep step, const std::vector<SetupStep>& steps) {
    StepDots made;
    for (auto each : steps)
        made.dots.push_back({each == step, rawValue(each) <= rawValue(step)});
    const auto found = std::find(steps.begin(), steps.end(), step);
    const auto position = found == steps.end() ? 1 : (found - steps.begin()) + 1;
    made.label = UserTexts::stepOf(position, static_cast<long long>(steps.size()));
    return made;
}

} // namespace velto
