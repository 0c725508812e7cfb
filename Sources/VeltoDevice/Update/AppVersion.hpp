#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// A release number of dotted decimal numbers (1.4.2): compared by its numbers, printed exactly as
/// it was written.
class AppVersion {
public:
    /// Nothing unless the text is dotted numbers: non-empty segments of ASCII digits only, each within
    /// a signed 64-bit integer (leading zeros allowed).
    static std::optional<AppVersion> parse(std::string_view text);

    /// "0.0.0" with no components; stands in for a running version that does not parse.
    static const AppVersion& zero();

    /// The text exactly as given.
    const std::string& text() const { return text_; }
    /// The numbers in order, trailing zeros removed (1.2.0 keeps [1, 2]).
    const std::vector<std::int64_t>& components() const { return components_; }
    const std::string& description() const { return text_; }

    /// Equality and order look at the numbers only: 1.2 equals 1.2.0; a missing number counts as 0.
    friend bool operator==(const AppVersion& a, const AppVersion& b) {
        return a.components_ == b.components_;
    }
    friend bool operator<(const AppVersion& a, const AppVersion& b);
    friend bool operator>(const AppVersion& a, const AppVersion& b) { return b < a; }
    friend bool operator<=(const AppVersion& a, const AppVersion& b) { return !(b < a); }
    friend bool operator>=(const AppVersion& a, const AppVersion& b) { return !(a < b); }

    std::size_t hash() const;

private:
    AppVersion(std::string text, std::vector<std::int64_t> components)
        : text_(std::move(text)), components_(std::move(components)) {}

    std::string text_;
    std::vector<std::int64_t> components_;
};

} // namespace velto

template <> struct std::hash<velto::AppVersion> {
    std::size_t operator()(const velto::AppVersion& version) const { return version.hash(); }
};
