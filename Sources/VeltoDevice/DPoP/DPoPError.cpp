#include "VeltoDevice/DPoP/DPoPError.hpp"

namespace velto {

namespace {

std::string describe(DPoPError::Case kind, const std::string& url) {
    switch (kind) {
    case DPoPError::Case::invalidTargetURL:
        return "Velto's address " + url + " is not a valid https URL.";
    case DPoPError::Case::malformedKey:
        return "The device key could not be read.";
    case DPoPError::Case::signingFailed:
        return "This computer could not sign a request with its device key.";
    }
    return {};
}

} // namespace

DPoPError::DPoPError(Case kind, std::string url)
    : Error(describe(kind, url)), kind_(kind), url_(std::move(url)) {}

DPoPError DPoPError::invalidTargetURL(std::string url) {
    return {Case::invalidTargetURL, std::move(url)};
}
DPoPError DPoPError::malformedKey() {
    return {Case::malformedKey, {}};
}
DPoPError DPoPError::signingFailed() {
    return {Case::signingFailed, {}};
}

} // namespace velto
