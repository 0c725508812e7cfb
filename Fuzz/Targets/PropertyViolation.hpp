#pragma once

#include <stdexcept>

namespace velto::fuzz {

/// Something a target checks does not hold for an input: a fault, reported with the property's words.
class PropertyViolation : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

/// Throws PropertyViolation with `property` unless it holds.
inline void require(bool holds, const char* property) {
    if (!holds)
        throw PropertyViolation(property);
}

} // namespace velto::fuzz
