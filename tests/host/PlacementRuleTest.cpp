// A saved window place on the monitors there are now.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "app/desktop/PlacementRule.h"

namespace kestrova {
namespace {

TEST(PlaceOnScreen, ReachableStaysUnreachableComesBack) {
  // A 1280x1024 monitor (taskbar at the bottom) and a second one to its right.
  const Box left{0, 0, 1280, 984};
  const Box right{1280, 0, 3200, 1040};
  struct Row {
    const char* why;
    Box saved;
    std::vector<Box> areas;
    Box nearest;
    Box placed;
  };
  const Row rows[] = {
      {"fully on a monitor", {300, 300, 588, 600}, {left}, left, {300, 300, 588, 600}},
      {"partly off, title bar still on it", {1200, 900, 1488, 1200}, {left}, left,
       {1200, 900, 1488, 1200}},
      {"on the second monitor", {2000, 100, 2288, 400}, {left, right}, right,
       {2000, 100, 2288, 400}},
      {"the second monitor is gone", {2000, 100, 2288, 400}, {left}, left,
       {992, 100, 1280, 400}},
      {"far off to the right", {5000, 300, 5288, 600}, {left}, left, {992, 300, 1280, 600}},
      {"above the screen: only the body would show", {300, -290, 588, 10}, {left}, left,
       {300, 0, 588, 300}},
      {"title bar under the taskbar", {300, 990, 588, 1290}, {left}, left,
       {300, 684, 588, 984}},
      {"larger than the work area", {-100, -5000, 2000, -3000}, {left}, left, {0, 0, 1280, 984}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const Box placed = PlaceOnScreen(row.saved, 30, row.areas, row.nearest);
    EXPECT_EQ(placed.left, row.placed.left);
    EXPECT_EQ(placed.top, row.placed.top);
    EXPECT_EQ(placed.right, row.placed.right);
    EXPECT_EQ(placed.bottom, row.placed.bottom);
  }
}

TEST(SizeForDpi, ASavedSizeIsScaledOnceToTheMonitorItOpensOn) {
  struct Row {
    const char* why;
    int size;
    long long savedDpi;
    int dpi;
    int scaled;
  };
  const Row rows[] = {
      {"the same DPI: as saved", 432, 144, 144, 432},
      {"saved at 150 %, opened at 100 %", 432, 144, 96, 288},
      {"saved at 100 %, opened at 150 %", 288, 96, 144, 432},
      {"saved at 200 %, opened at 125 %", 577, 192, 120, 361},
      {"rounded to the nearest pixel", 361, 120, 96, 289},
      {"a file that does not say (written before the DPI was kept)", 432, 0, 96, 432},
      {"a DPI no monitor has is taken as not said", 288, 5000, 144, 288},
      {"nor a tiny one", 288, 1, 144, 288},
      {"no overflow at the largest sizes", INT_MAX, 96, 192, INT_MAX},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(SizeForDpi(row.size, row.savedDpi, row.dpi), row.scaled);
  }
  // Saved at any DPI and opened at 96 DPI, a size comes back as it was: no growing or shrinking
  // from one start to the next.
  for (int dpi : {96, 120, 144, 168, 192, 240, 288, 480}) {
    for (int size : {1, 97, 288, 300, 1001}) {
      SCOPED_TRACE(dpi);
      EXPECT_EQ(SizeForDpi(SizeForDpi(size, 96, dpi), dpi, 96), size) << size;
    }
  }
}

}  // namespace
}  // namespace kestrova
