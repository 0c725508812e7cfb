#pragma once

#include "VeltoDevice/Support/Error.hpp"

#include <string>

namespace velto {

/// The private temporary folder cannot be used: missing and not creatable, or open to others.
class TemporaryFolderError : public Error {
public:
    /// `detail` is our own wording of what is wrong (or the system's description of a failed call).
    explicit TemporaryFolderError(std::string detail);

    const std::string& detail() const { return detail_; }

private:
    std::string detail_;
};

} // namespace velto
