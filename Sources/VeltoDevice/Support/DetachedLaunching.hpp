#pragma once

#include <string>
#include <vector>

namespace velto {

/// Starts a program that outlives the application: in a session of its own, its standard streams on
/// the null device and no other descriptor, never waited for.
class DetachedLaunching {
public:
    virtual ~DetachedLaunching() = default;

    /// `arguments[0]` is the program's path. Throws when the program cannot be started.
    virtual void start(const std::vector<std::string>& arguments) = 0;
};

} // namespace velto
