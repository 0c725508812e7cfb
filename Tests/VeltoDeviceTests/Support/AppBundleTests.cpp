#include "VeltoDevice/Support/AppBundle.hpp"

#include <gtest/gtest.h>

namespace velto {
namespace {

namespace fs = std::filesystem;

TEST(AppBundle, FindsTheBundleAroundItsExecutable) {
    EXPECT_EQ(AppBundle::holding("/opt/Velto.app/Contents/bin/velto"), fs::path("/opt/Velto.app"));
    EXPECT_EQ(AppBundle::holding("/usr/bin/velto"), std::nullopt);
    EXPECT_EQ(AppBundle::holding("/Contents/bin/velto"), std::nullopt);
    EXPECT_EQ(AppBundle::executable("/opt/Velto.app", "velto"),
              fs::path("/opt/Velto.app/Contents/bin/velto"));
    EXPECT_EQ(AppBundle::infoPlist("/opt/Velto.app"), fs::path("/opt/Velto.app/Contents/Info.plist"));
    // The test program itself is no bundle.
    EXPECT_EQ(AppBundle::running(), std::nullopt);
}

} // namespace
} // namespace velto
