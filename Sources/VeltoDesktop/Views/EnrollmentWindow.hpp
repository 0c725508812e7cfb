#pragma once

#include "VeltoDesktop/Views/EnrollmentPromptController.hpp"

#include <QObject>
#include <QQuickView>
#include <memory>

namespace velto {

class PromptModel;
class ViewEngine;

/// The floating window of the enrollment prompt, "Enroll this computer": made on first showing and
/// reused, sized to its content, centred, closable only. Closing it clears the prompt unless codes
/// are being spent (the model decides).
class EnrollmentWindow final : public QObject {
    Q_OBJECT

public:
    EnrollmentWindow(PromptModel& model, ViewEngine& views, QObject* parent = nullptr);
    ~EnrollmentWindow() override;

    void show();
    void close();
    QQuickView* window() const { return view_.get(); }
    EnrollmentPromptController& controller() { return controller_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PromptModel& model_;
    ViewEngine& views_;
    EnrollmentPromptController controller_;
    std::unique_ptr<QQuickView> view_;
};

} // namespace velto
