#pragma once

#include "VeltoDevice/Support/Error.hpp"

namespace velto {

/// A frame for the server that cannot be written, because a text in it is not valid UTF-8
/// (a harness's version output, for one). Callers treat it like a failed send.
class FrameEncodingError : public Error {
public:
    enum class Case { invalidText };

    static FrameEncodingError invalidText();

    Case kind() const { return kind_; }

    friend bool operator==(const FrameEncodingError& a, const FrameEncodingError& b) {
        return a.kind_ == b.kind_;
    }

private:
    explicit FrameEncodingError(Case kind);

    Case kind_;
};

} // namespace velto
