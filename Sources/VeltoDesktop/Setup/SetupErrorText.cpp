#include "VeltoDesktop/Setup/SetupErrorText.hpp"

#include "VeltoDevice/Enrollment/EnrollmentLink.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Ascii.hpp"
#include "VeltoDevice/Support/UnicodeText.hpp"

#include <boost/url/parse.hpp>

#include <QString>

namespace velto {

namespace {

/// Longer text in the code field is no link this window reads.
constexpr std::size_t maximumLinkLength = 16 * 1024;

std::string shortened(const std::string& text) {
    const auto whole = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (whole.size() <= static_cast<qsizetype>(SetupErrorText::maximumQuoted))
        return text;
    auto cut = whole.left(static_cast<qsizetype>(SetupErrorText::maximumQuoted));
    if (cut.back().isHighSurrogate())
        cut.chop(1);
    return (cut + QStringLiteral("…")).toStdString();
}

} // namespace

std::string SetupErrorText::of(const std::exception& error) {
    if (const auto* server = dynamic_cast<const ServerError*>(&error)) {
        switch (server->kind()) {
        case ServerError::Case::invalidAddress:
            return ServerError::invalidAddress(shortened(server->text())).what();
        case ServerError::Case::insecureAddress:
            return ServerError::insecureAddress(shortened(server->text())).what();
        default:
            break;
        }
    }
    return error.what();
}

std::string SetupErrorText::ofCode(const std::exception& error, std::string_view code) {
    const auto pasted = unicode::trimmingWhitespace(code);
    if (pasted.size() <= maximumLinkLength) {
        auto url = boost::urls::parse_uri(pasted);
        if (url && asciiLowercased(url->scheme()) == "velto") {
            try {
                EnrollmentLink::fromURL(*url);
            } catch (const std::exception& linkError) {
                return of(linkError);
            }
        }
    }
    return of(error);
}

} // namespace velto
