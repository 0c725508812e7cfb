#pragma once

#include <boost/url/url.hpp>

#include <optional>
#include <string_view>

namespace velto::urltext {

/// A URL read from its text form, absolute or relative as an address field may hold it; nothing for
/// empty text or text that is not a URL reference.
std::optional<boost::urls::url> parse(std::string_view text);

/// URL equality as the records use it: the same text; an absent URL equals only an absent one.
bool same(const std::optional<boost::urls::url>& a, const std::optional<boost::urls::url>& b);

} // namespace velto::urltext
