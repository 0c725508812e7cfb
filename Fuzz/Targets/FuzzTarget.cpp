#include "Targets/FuzzTarget.hpp"

#include <algorithm>
#include <array>

#include "Targets/Targets.hpp"

namespace velto::fuzz {

std::span<const FuzzTarget> fuzzTargets() {
    static constexpr std::array targets = {
        FuzzTarget{"server-frames", runServerFrame},
        FuzzTarget{"runner-lines", runRunnerLine},
        FuzzTarget{"enrollment-links", runEnrollmentLink},
        FuzzTarget{"enrollment-codes", runEnrollmentCode},
        FuzzTarget{"server-addresses", runServerAddress},
        FuzzTarget{"enrollment-files", runEnrollmentFile},
        FuzzTarget{"reply-bodies", runReplyBody},
        FuzzTarget{"reply-headers", runReplyHeaders},
        FuzzTarget{"info-plists", runInfoPlist},
        FuzzTarget{"connection-targets", runConnectionTarget},
        FuzzTarget{"pictures", runPicture},
    };
    return targets;
}

const FuzzTarget* findFuzzTarget(std::string_view name) {
    auto targets = fuzzTargets();
    auto found = std::find_if(targets.begin(), targets.end(),
                              [&](const FuzzTarget& target) { return target.name == name; });
    return found == targets.end() ? nullptr : &*found;
}

} // namespace velto::fuzz
