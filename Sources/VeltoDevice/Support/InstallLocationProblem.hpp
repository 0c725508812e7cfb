#pragma once

#include <string>

namespace velto {

/// Why this copy of the application cannot replace itself on disk.
enum class InstallLocationProblem { notAppBundle, translocated, readOnlyVolume, notWritable };

/// The lower-case clause of the problem ("its folder is not writable").
std::string description(InstallLocationProblem problem);

} // namespace velto
