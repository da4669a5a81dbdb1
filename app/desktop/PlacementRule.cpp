#include "app/desktop/PlacementRule.h"

#include <algorithm>
#include <climits>

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

bool IsPlausibleDpi(long long dpi) { return dpi >= 48 && dpi <= 960; }

int SizeForDpi(int size, long long savedDpi, int dpi) {
  if (!IsPlausibleDpi(savedDpi) || !IsPlausibleDpi(dpi) || savedDpi == dpi) return size;
  // Half away from zero, as MulDiv rounds.
  const long long scaled = static_cast<long long>(size) * dpi;
  const long long half = savedDpi / 2;
  const long long rounded = (scaled >= 0 ? scaled + half : scaled - half) / savedDpi;
  return static_cast<int>(std::clamp<long long>(rounded, INT_MIN, INT_MAX));
}

}  // namespace kestrova
