#include "app/desktop/PlacementRule.h"

#include <algorithm>

namespace kestrova {

namespace {

bool Meets(const Box& a, const Box& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) &&
         std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

}  // namespace

Box PlaceOnScreen(Box window, int titleHeight, std::span<const Box> workAreas, Box nearest) {
  const Box title{window.left, window.top, window.right,
                  window.top + std::clamp(titleHeight, 1, std::max(window.Height(), 1))};
  for (const Box& area : workAreas) {
    if (Meets(title, area)) return window;
  }
  const int width = std::min(window.Width(), nearest.Width());
  const int height = std::min(window.Height(), nearest.Height());
  const int left = std::clamp(window.left, nearest.left, nearest.right - width);
  const int top = std::clamp(window.top, nearest.top, nearest.bottom - height);
  return Box{left, top, left + width, top + height};
}

}  // namespace kestrova
