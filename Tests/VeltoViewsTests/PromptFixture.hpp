#pragma once

#include "VeltoDesktop/Views/AppPromptModel.hpp"
#include "VeltoDesktop/Views/EnrollmentWindow.hpp"

#include <memory>

#include "PanelFixture.hpp"

namespace velto::testing {

/// The panel's fixture with the enrollment prompt's window, shown whenever the model presents it.
class PromptFixture : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        prompt = std::make_unique<AppPromptModel>(*model);
        window = std::make_unique<EnrollmentWindow>(*prompt, *views);
        model->enrollment().setPresentPrompt([this] { window->show(); });
    }
    void TearDown() override {
        loop.drain();
        window.reset();
        prompt.reset();
        PanelFixture::TearDown();
    }

    std::unique_ptr<AppPromptModel> prompt;
    std::unique_ptr<EnrollmentWindow> window;
};

} // namespace velto::testing
