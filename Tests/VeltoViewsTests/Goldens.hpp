#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

namespace velto::testing {

/// Compares a screenshot with the golden of that name (a PNG under the goldens folder): it matches
/// when at most 0.2 % of its pixels differ by more than 3 in a channel. With VELTO_UPDATE_GOLDENS=1
/// the screenshot is written as the golden instead. A mismatch leaves the screenshot beside the
/// build for inspection.
::testing::AssertionResult matchesGolden(const QImage& screenshot, const QString& name);

} // namespace velto::testing
