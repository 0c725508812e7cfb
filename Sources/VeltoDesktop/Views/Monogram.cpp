#include "VeltoDesktop/Views/Monogram.hpp"

#include "VeltoDevice/Support/UTF8.hpp"
#include "VeltoDevice/Support/UnicodeText.hpp"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <memory>
#include <vector>

namespace velto {

std::optional<QString> Monogram::of(std::string_view name) {
    auto trimmed = unicode::trimmingWhitespace(name);
    if (trimmed.empty() || !utf8::isValid(trimmed))
        return std::nullopt;
    // Only the start matters: a bounded prefix keeps a megabyte name cheap.
    auto text = icu::UnicodeString::fromUTF8(trimmed.substr(0, std::min<std::size_t>(trimmed.size(), 256)));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> clusters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    int32_t end = text.length() > 0 ? text.moveIndex32(0, 1) : 0;
    if (U_SUCCESS(status) && clusters) {
        clusters->setText(text);
        const int32_t next = clusters->following(0);
        if (next != icu::BreakIterator::DONE)
            end = next;
    }
    icu::UnicodeString first(text, 0, end);
    std::vector<UChar> upper(static_cast<std::size_t>(first.length()) * 4 + 4);
    status = U_ZERO_ERROR;
    const int32_t length = u_strToUpper(upper.data(), static_cast<int32_t>(upper.size()), first.getBuffer(),
                                        first.length(), "", &status);
    if (U_FAILURE(status) || length <= 0)
        return QString(reinterpret_cast<const QChar*>(first.getBuffer()), first.length());
    return QString(reinterpret_cast<const QChar*>(upper.data()), length);
}

} // namespace velto
