// The libFuzzer entry of one target, chosen when the program is built (VELTO_FUZZ_TARGET).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string_view>

#include "Targets/FuzzTarget.hpp"
#include "Targets/PropertyViolation.hpp"

namespace {

const velto::fuzz::FuzzTarget& target() {
    static const velto::fuzz::FuzzTarget* const found = velto::fuzz::findFuzzTarget(VELTO_FUZZ_TARGET);
    if (found == nullptr) {
        std::fprintf(stderr, "no fuzz target named %s\n", VELTO_FUZZ_TARGET);
        std::abort();
    }
    return *found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        target().run(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const velto::fuzz::PropertyViolation& violation) {
        std::fprintf(stderr, "%s: property does not hold: %s\n", VELTO_FUZZ_TARGET, violation.what());
        std::abort();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: undocumented error escaped: %s\n", VELTO_FUZZ_TARGET, error.what());
        std::abort();
    }
    return 0;
}
