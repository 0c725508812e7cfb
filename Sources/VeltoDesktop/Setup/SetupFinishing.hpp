#pragma once

namespace velto {

/// Where the setup window stores that setup was walked to its end. Main thread only.
class SetupFinishing {
public:
    virtual ~SetupFinishing() = default;
    virtual void setHasFinishedSetup(bool finished) = 0;
};

} // namespace velto
