#include "VeltoDesktop/Views/PanelPlacement.hpp"

#include <algorithm>

namespace velto {

namespace {

QPoint middle(QRect rect) {
    return {rect.left() + rect.width() / 2, rect.top() + rect.height() / 2};
}

} // namespace

std::optional<std::size_t> PanelPlacement::screenFor(QRect anchor, const std::vector<Screen>& screens) {
    if (screens.empty())
        return std::nullopt;
    const auto centre = middle(anchor);
    for (std::size_t index = 0; index < screens.size(); ++index) {
        if (screens[index].geometry.contains(centre))
            return index;
    }
    std::optional<std::size_t> best;
    long long bestArea = 0;
    for (std::size_t index = 0; index < screens.size(); ++index) {
        const auto overlap = screens[index].geometry.intersected(anchor);
        const long long area = overlap.isEmpty() ? 0 : 1LL * overlap.width() * overlap.height();
        if (area > bestArea) {
            bestArea = area;
            best = index;
        }
    }
    if (best)
        return best;
    for (std::size_t index = 0; index < screens.size(); ++index) {
        if (screens[index].isPrimary)
            return index;
    }
    return 0;
}

PanelPlacement PanelPlacement::place(QRect anchor, QSize card, int margin,
                                     const std::vector<Screen>& screens) {
    PanelPlacement placement;
    const int width = card.width() + 2 * margin;
    placement.screen = screenFor(anchor, screens);
    if (!placement.screen) {
        placement.cardHeight = card.height();
        placement.frame = QRect(middle(anchor).x() - width / 2, anchor.bottom() + 1 + anchorGap - margin,
                                width, card.height() + 2 * margin);
        return placement;
    }
    const auto& screen = screens[*placement.screen];
    const QRect work = screen.available.isValid() ? screen.available : screen.geometry;
    // An anchor off the chosen screen (off every screen) counts as the middle of its top edge.
    QRect at = anchor;
    if (!screen.geometry.intersects(anchor))
        at = QRect(QPoint(work.center().x(), work.top()), QSize(1, 1));

    int x = middle(at).x() - width / 2;
    x = std::max(x, work.left() + edgeGap - margin);
    x = std::min(x, work.right() + 1 - width - edgeGap + margin);

    placement.opensAbove = middle(at).y() > middle(screen.geometry).y();
    // The card is capped to the room on its side of the anchor, so that it never covers the icon.
    const int lowest = work.bottom() + 1 - edgeGap;
    const int highest = work.top() + edgeGap;
    const int top = placement.opensAbove ? highest : std::max(at.bottom() + 1 + anchorGap, highest);
    const int bottom = placement.opensAbove ? std::min(at.top() - anchorGap, lowest) : lowest;
    int room = bottom - top;
    if (room <= 0)
        room = work.height() - 2 * edgeGap;
    placement.cardHeight = std::max(0, std::min(card.height(), room));
    int cardTop = placement.opensAbove ? bottom - placement.cardHeight : top;
    cardTop = std::min(cardTop, lowest - placement.cardHeight);
    cardTop = std::max(cardTop, highest);
    placement.frame = QRect(x, cardTop - margin, width, placement.cardHeight + 2 * margin);
    return placement;
}

} // namespace velto
