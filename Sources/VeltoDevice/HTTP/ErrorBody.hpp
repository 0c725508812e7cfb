#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <optional>
#include <string>

namespace velto {

/// The server's JSON error body: {"code": …, "error": …}, both optional.
struct ErrorBody {
    std::optional<std::string> code;
    std::optional<std::string> error;

    /// Nothing when the body is not a JSON object, or when "code" or "error" is neither text nor
    /// null (such a body is not the server's error body); a null member counts as absent.
    static std::optional<ErrorBody> decode(const Bytes& body);

    /// `code` when present, else `error`.
    std::optional<std::string> meaning() const { return code ? code : error; }
};

} // namespace velto
