#include "controls/ListAccessible.h"

#include <utility>

namespace kestrova {

LRESULT ListAccessible::Answer(HWND hwnd, WPARAM wParam, LPARAM lParam,
                               ComPtr<ListAccessible>& kept, const Describe& describe) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
  if (!kept) {
    ComPtr<IAccessible> standard = StandardOf(hwnd);
    if (!standard) return 0;
    kept.Reset(new ListAccessible(std::move(standard), describe));
  }
  return Hand(wParam, kept.Get());
}

ListAccessible::ListAccessible(ComPtr<IAccessible> standard, const Describe& describe)
    : StandardAccessible(std::move(standard)), describe_(describe) {}

HRESULT ListAccessible::get_accDescription(VARIANT child, BSTR* description) {
  if (Connected() && child.vt == VT_I4 && describe_) {
    if (std::optional<std::wstring> text = describe_(child.lVal)) {
      return Text(*text, description);
    }
  }
  return StandardAccessible::get_accDescription(child, description);
}

}  // namespace kestrova
