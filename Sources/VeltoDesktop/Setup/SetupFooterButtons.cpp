#include "VeltoDesktop/Setup/SetupFooterButtons.hpp"

#include "VeltoDesktop/UserTexts.hpp"

namespace velto {

SetupFooterButtons SetupFooterButtons::of(SetupStep step, PairStage::Case stage, bool isOnLastStep,
                                          bool isBusy, bool isInstallingCommandLineTool) {
    using Button = UserTexts::FooterButton;
    SetupFooterButtons buttons;
    buttons.showsBack = step != SetupStep::pair;
    buttons.isEnabled = !isBusy && !(step == SetupStep::commandLineTool && isInstallingCommandLineTool);
    switch (step) {
    case SetupStep::pair:
        if (stage == PairStage::Case::paired)
            buttons.primary = UserTexts::footerButton(Button::continueOn);
        break;
    case SetupStep::federation:
        buttons.secondary = UserTexts::footerButton(Button::notNow);
        buttons.primary = UserTexts::footerButton(Button::lend);
        break;
    case SetupStep::monitoring:
        buttons.secondary = UserTexts::footerButton(Button::skip);
        buttons.primary = UserTexts::footerButton(isOnLastStep ? Button::finishSetup : Button::continueOn);
        break;
    case SetupStep::commandLineTool:
        buttons.secondary = UserTexts::footerButton(Button::notNow);
        buttons.primary = UserTexts::footerButton(Button::install);
        break;
    case SetupStep::openAtLogin:
        buttons.secondary = UserTexts::footerButton(Button::notNow);
        buttons.primary = UserTexts::footerButton(Button::openAtLogin);
        break;
    }
    return buttons;
}

} // namespace velto
