#include "VeltoDevice/Enrollment/URLText.hpp"

#include <boost/url/parse.hpp>

namespace velto::urltext {

std::optional<boost::urls::url> parse(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    auto parsed = boost::urls::parse_uri_reference(text);
    if (!parsed)
        return std::nullopt;
    return boost::urls::url(*parsed);
}

bool same(const std::optional<boost::urls::url>& a, const std::optional<boost::urls::url>& b) {
    if (a.has_value() != b.has_value())
        return false;
    return !a || a->buffer() == b->buffer();
}

} // namespace velto::urltext
