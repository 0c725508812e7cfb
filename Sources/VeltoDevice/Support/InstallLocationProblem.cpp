#include "VeltoDevice/Support/InstallLocationProblem.hpp"

namespace velto {

std::string description(InstallLocationProblem problem) {
    switch (problem) {
    case InstallLocationProblem::notAppBundle:
        return "it is not running from an app bundle";
    case InstallLocationProblem::translocated:
        return "it runs from a temporary AppTranslocation copy";
    case InstallLocationProblem::readOnlyVolume:
        return "it is on a read-only volume";
    case InstallLocationProblem::notWritable:
        return "its folder is not writable";
    }
    return "its folder is not writable";
}

} // namespace velto
