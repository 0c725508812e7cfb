// The setup window over a fake model, with real clicks under the offscreen platform.
#include <gtest/gtest.h>

#include <QTest>

#include "SetupWindowFixture.hpp"

namespace velto::testing {
namespace {

class SetupWindowTest : public SetupWindowFixture {};

TEST_F(SetupWindowTest, OpensFramelessAtItsFixedSizeWithItsTitle) {
    auto& view = shown();
    EXPECT_EQ(view.title(), "Set Up Velto");
    EXPECT_EQ(view.size(), QSize(800, 560));
    EXPECT_EQ(view.minimumSize(), QSize(800, 560));
    EXPECT_EQ(view.maximumSize(), QSize(800, 560));
    EXPECT_TRUE(view.flags() & Qt::FramelessWindowHint);
}

} // namespace
} // namespace velto::testing
