#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace velto {

/// A reasoning-effort level a model accepts. Encodes as its raw value.
enum class ModelEffort { low, medium, high, max };

/// Every level, in the canonical order of an effort list.
inline constexpr std::array<ModelEffort, 4> allModelEfforts{ModelEffort::low, ModelEffort::medium,
                                                            ModelEffort::high, ModelEffort::max};

/// "low", "medium", "high", "max".
std::string_view rawValue(ModelEffort effort);
/// Exactly one of the four raw values (case-sensitive), else nothing.
std::optional<ModelEffort> modelEffortFromRawValue(std::string_view text);

} // namespace velto
