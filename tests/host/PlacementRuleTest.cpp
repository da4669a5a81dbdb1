// A saved window place on the monitors there are now.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kestrova
