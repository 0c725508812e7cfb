#pragma once

#include "VeltoDevice/Support/Error.hpp"

#include <string>

namespace velto {

/// A proof that could not be made.
class DPoPError : public Error {
public:
    enum class Case { invalidTargetURL, malformedKey, signingFailed };

    static DPoPError invalidTargetURL(std::string url);
    static DPoPError malformedKey();
    static DPoPError signingFailed();

    Case kind() const { return kind_; }
    /// The URL text of invalidTargetURL.
    const std::string& url() const { return url_; }

    friend bool operator==(const DPoPError& a, const DPoPError& b) {
        return a.kind_ == b.kind_ && a.url_ == b.url_;
    }

private:
    DPoPError(Case kind, std::string url);

    Case kind_;
    std::string url_;
};

} // namespace velto
