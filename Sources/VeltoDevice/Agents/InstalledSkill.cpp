#include "VeltoDevice/Agents/InstalledSkill.hpp"

namespace velto {

std::string InstalledSkill::recordKey() const {
    std::string key(rawValue(agent));
    key += '/';
    key += name;
    return key;
}

} // namespace velto
