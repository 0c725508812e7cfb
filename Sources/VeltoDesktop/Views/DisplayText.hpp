#pragma once

#include <QString>
#include <string_view>

namespace velto {

/// Outside text (names, addresses, the server's sentences) made safe to show: the views show it as
/// plain text, never as markup; these bound its length and keep its direction from leaking.
struct DisplayText {
    /// The most grapheme clusters a one-line name keeps before it is cut with "…".
    static constexpr int maximumLineClusters = 160;
    /// The most grapheme clusters a sentence keeps before it is cut with "…".
    static constexpr int maximumParagraphClusters = 2000;

    /// A one-line name: line breaks, tabs and other control characters become spaces, a name longer
    /// than `maximumLineClusters` is cut and ends in "…", and a name holding right-to-left letters or
    /// direction controls is wrapped in a first-strong isolate, so that it neither reorders the text
    /// around it nor runs on past its end. Text that is not UTF-8 shows its bytes replaced.
    static QString line(std::string_view text);
    /// A sentence or several lines: line breaks stay, other controls go, at most
    /// `maximumParagraphClusters`, isolated like a line.
    static QString paragraph(std::string_view text);
};

} // namespace velto
