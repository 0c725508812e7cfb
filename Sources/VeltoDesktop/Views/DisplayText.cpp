#include "VeltoDesktop/Views/DisplayText.hpp"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

namespace velto {

namespace {

constexpr char16_t firstStrongIsolate = 0x2068;
constexpr char16_t popDirectionalIsolate = 0x2069;

bool needsIsolation(const QString& text) {
    for (auto it = text.cbegin(); it != text.cend(); ++it) {
        char32_t c = it->unicode();
        if (it->isHighSurrogate() && it + 1 != text.cend() && (it + 1)->isLowSurrogate()) {
            c = QChar::surrogateToUcs4(*it, *(it + 1));
            ++it;
        }
        switch (u_charDirection(static_cast<UChar32>(c))) {
        case U_RIGHT_TO_LEFT:
        case U_RIGHT_TO_LEFT_ARABIC:
        case U_LEFT_TO_RIGHT_EMBEDDING:
        case U_LEFT_TO_RIGHT_OVERRIDE:
        case U_RIGHT_TO_LEFT_EMBEDDING:
        case U_RIGHT_TO_LEFT_OVERRIDE:
        case U_POP_DIRECTIONAL_FORMAT:
        case U_LEFT_TO_RIGHT_ISOLATE:
        case U_RIGHT_TO_LEFT_ISOLATE:
        case U_FIRST_STRONG_ISOLATE:
        case U_POP_DIRECTIONAL_ISOLATE:
            return true;
        default:
            break;
        }
    }
    return false;
}

QString shown(std::string_view text, int maximumClusters, bool keepsLineBreaks) {
    // Bounded before any work: no cluster is longer than a few dozen bytes in practice.
    const std::size_t byteBound = static_cast<std::size_t>(maximumClusters) * 16;
    const bool overlong = text.size() > byteBound;
    auto value = QString::fromUtf8(text.data(), static_cast<qsizetype>(overlong ? byteBound : text.size()));
    for (auto& c : value) {
        if (keepsLineBreaks && c == '\n')
            continue;
        const auto category = c.category();
        if (category == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = ' ';
    }
    icu::UnicodeString unicode(false, reinterpret_cast<const UChar*>(value.utf16()),
                               static_cast<int32_t>(value.size()));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> clusters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    bool cut = overlong;
    if (U_SUCCESS(status) && clusters) {
        clusters->setText(unicode);
        int32_t position = clusters->first();
        int count = 0;
        while (position != icu::BreakIterator::DONE && position < unicode.length()) {
            if (count == maximumClusters) {
                value.truncate(position);
                cut = true;
                break;
            }
            position = clusters->next();
            ++count;
        }
    }
    if (cut) {
        while (!value.isEmpty() && value.back().isHighSurrogate())
            value.chop(1);
        value += QChar(0x2026);
    }
    if (needsIsolation(value))
        value = QChar(firstStrongIsolate) + value + QChar(popDirectionalIsolate);
    return value;
}

} // namespace

QString DisplayText::line(std::string_view text) {
    return shown(text, maximumLineClusters, false);
}

QString DisplayText::paragraph(std::string_view text) {
    return shown(text, maximumParagraphClusters, true);
}

} // namespace velto
