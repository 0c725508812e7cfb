#pragma once

#include "VeltoDesktop/Setup/SetupWindow.hpp"

#include <gtest/gtest.h>

#include <QQuickView>
#include <QTest>
#include <stdexcept>
#include <string>

#include "CapturingLogSink.hpp"

namespace velto::testing {

/// Shows the setup window and waits until it is exposed. A window that could not be made ends the test
/// with the loader's own words (a missing QML module, say) instead of a null window further on.
inline QQuickView& shownSetupWindow(SetupWindow& setup) {
    const auto previous = logSink();
    const auto lines = CapturingLogSink::install();
    setup.show();
    setLogSink(previous);
    if (!setup.window()) {
        std::string reasons;
        for (const auto& message : lines->messages("app"))
            reasons += "\n" + message;
        throw std::runtime_error("the setup window was not made:" + reasons);
    }
    EXPECT_TRUE(QTest::qWaitForWindowExposed(setup.window()));
    return *setup.window();
}

} // namespace velto::testing
