#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

using Json = nlohmann::json;

/// JSON text as frames, proofs and request bodies need it: sorted keys, no spaces, "/" unescaped.
/// Text that is not valid UTF-8 throws nlohmann's type_error.
std::string encodeCompact(const Json& value);

/// As encodeCompact, with text that is not valid UTF-8 written as U+FFFD instead of throwing: for
/// frames that must go out whatever a tool printed.
std::string encodeCompactRepaired(const Json& value);

/// Pretty-printed with sorted keys, as the files under Application Support are written.
std::string encodePretty(const Json& value);

/// Levels of arrays and objects a JSON text may nest, the outermost included. Writing a value again
/// recurses once per level, and a parsed value costs many times its text, so deeper text is refused
/// before any value is built; no frame, reply or file of ours comes near this.
inline constexpr std::size_t maximumJsonNesting = 512;

/// Parses a JSON text; nothing for text that is not JSON (invalid UTF-8 included) or that nests
/// deeper than `maximumJsonNesting`.
std::optional<Json> parseJson(std::string_view text);
std::optional<Json> parseJson(const Bytes& bytes);

/// Strictly typed member access: a member of the wrong JSON type counts as absent here;
/// callers that must reject it check `has` first.
namespace json {

bool has(const Json& object, std::string_view key);
std::optional<std::string> string(const Json& object, std::string_view key);
/// An integer only: booleans and numbers with a fraction are not integers.
std::optional<std::int64_t> integer(const Json& object, std::string_view key);
std::optional<bool> boolean(const Json& object, std::string_view key);
/// True when the member is present with a JSON null.
bool isNull(const Json& object, std::string_view key);

} // namespace json

} // namespace velto
