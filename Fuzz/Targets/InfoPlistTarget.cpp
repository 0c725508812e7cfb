#include "VeltoDevice/Support/InfoDictionary.hpp"

#include <string>

#include "Targets/PropertyViolation.hpp"
#include "Targets/Targets.hpp"

namespace velto::fuzz {

void runInfoPlist(std::string_view input) {
    // Never throws and never aborts: whatever does not read is an empty dictionary.
    auto info = InfoDictionary::parse(input);
    for (const char* key : {"CFBundleIdentifier", "CFBundleShortVersionString", "CFBundleExecutable"}) {
        auto text = info.text(key);
        require(!text || text->find('\0') == std::string::npos, "a text holds no NUL");
        require(!text || info.contains(key), "a key with a text is there");
        require(InfoDictionary::parse(input).text(key) == text, "a plist reads the same twice");
    }
}

} // namespace velto::fuzz
