#include "VeltoDesktop/Views/LoadingStatusPanel.hpp"

namespace velto {

LoadingStatusPanel::LoadingStatusPanel(Load load, QObject* parent)
    : StatusPanel(parent), load_(std::move(load)) {}

void LoadingStatusPanel::show(Mode mode, std::optional<QRect> anchor) {
    mode_ = mode;
    anchor_ = anchor;
    wanted_ = true;
    if (panel_)
        return panel_->show(mode, anchor);
    if (asked_ || !load_)
        return;
    asked_ = true;
    load_([self = QPointer<LoadingStatusPanel>(this)](StatusPanel* panel) {
        if (self)
            self->take(panel);
    });
}

void LoadingStatusPanel::take(StatusPanel* panel) {
    panel_ = panel;
    if (!panel_)
        return;
    connect(panel_, &StatusPanel::escapePressed, this, &StatusPanel::escapePressed);
    if (wanted_)
        panel_->show(mode_, anchor_);
}

void LoadingStatusPanel::hide() {
    wanted_ = false;
    if (panel_)
        panel_->hide();
}

bool LoadingStatusPanel::isVisible() const {
    return panel_ && panel_->isVisible();
}

bool LoadingStatusPanel::exists() const {
    return panel_ && panel_->exists();
}

StatusPanel::Mode LoadingStatusPanel::mode() const {
    return panel_ ? panel_->mode() : mode_;
}

} // namespace velto
