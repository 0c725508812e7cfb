#pragma once

#include "VeltoDevice/Support/Error.hpp"

#include <cstddef>
#include <functional>

namespace velto {

/// A frame from the server that this version cannot read.
class ProtocolError : public Error {
public:
    enum class Case { malformedMessage };

    static ProtocolError malformedMessage();

    Case kind() const { return kind_; }

    friend bool operator==(const ProtocolError& a, const ProtocolError& b) { return a.kind_ == b.kind_; }

private:
    explicit ProtocolError(Case kind);

    Case kind_;
};

} // namespace velto

template <> struct std::hash<velto::ProtocolError> {
    std::size_t operator()(const velto::ProtocolError& error) const noexcept {
        return std::hash<int>{}(static_cast<int>(error.kind()));
    }
};
