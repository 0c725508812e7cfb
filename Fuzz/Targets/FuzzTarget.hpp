#pragma once

#include <span>
#include <string_view>

namespace velto::fuzz {

/// One parser of outside input as the fuzzers and the corpus replay drive it: `run` feeds it one
/// input and checks what holds for every input. It returns for input the parser refuses in its
/// documented way; anything else it lets escape (PropertyViolation, or an error the parser does not
/// document), and that is a fault.
struct FuzzTarget {
    /// Also the name of the target's corpus folder, Fuzz/Corpus/<name>.
    std::string_view name;
    void (*run)(std::string_view input);
};

/// Every target, in the order the fuzz script runs them. A new parser of outside input gets a
/// FuzzTarget here, a seed corpus folder and an entry in Fuzz/CMakeLists.txt.
std::span<const FuzzTarget> fuzzTargets();

/// The target of that name; nullptr when there is none.
const FuzzTarget* findFuzzTarget(std::string_view name);

} // namespace velto::fuzz
