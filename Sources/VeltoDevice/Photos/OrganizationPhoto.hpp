#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <optional>
#include <string>

namespace velto {

/// An organization's picture as the server sent it.
struct OrganizationPhoto {
    /// The picture exactly as received.
    Bytes data;
    /// Lower-case, without parameters: one of the accepted image types.
    std::string contentType;
    /// From the reply's ETag; absent when it had none.
    std::optional<std::string> version;

    friend bool operator==(const OrganizationPhoto&, const OrganizationPhoto&) = default;
};

} // namespace velto
