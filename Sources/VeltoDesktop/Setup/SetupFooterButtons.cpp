#include "VeltoDesktop/Setup/SetupFooterButtons.hpp"

namespace velto {

SetupFooterButtons SetupFooterButtons::of(SetupStep step, PairStage::Case stage, bool isOnLastStep,
                                          bool isBusy, bool isInstallingCommandLineTool) {
    SetupFooterButtons buttons;
    buttons.showsBack = step != SetupStep::pair;
    buttons.isEnabled = !isBusy && !(step == SetupStep::commandLineTool && isInstallingCommandLineTool);
    switch (step) {
    case SetupStep::pair:
        if (stage == PairStage::Case::paired)
            buttons.primary = QStringLiteral("Continue");
        break;
    case SetupStep::federation:
        buttons.secondary = QStringLiteral("Not Now");
        buttons.primary = QStringLiteral("Lend My Subscriptions");
        break;
    case SetupStep::monitoring:
        buttons.secondary = QStringLiteral("Skip");
        buttons.primary = isOnLastStep ? QStringLiteral("Finish Setup") : QStringLiteral("Continue");
        break;
    case SetupStep::commandLineTool:
        buttons.secondary = QStringLiteral("Not Now");
        buttons.primary = QStringLiteral("Install");
        break;
    case SetupStep::openAtLogin:
        buttons.secondary = QStringLiteral("Not Now");
        buttons.primary = QStringLiteral("Open at Login");
        break;
    }
    return buttons;
}

} // namespace velto
