#include "controls/LinkAccessible.h"

#include <utility>

namespace kestrova {

LRESULT LinkAccessible::Answer(HWND hwnd, WPARAM wParam, LPARAM lParam,
                               ComPtr<LinkAccessible>& kept, const Link& link) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
  if (!kept) {
    ComPtr<IAccessible> standard = StandardOf(hwnd);
    if (!standard) return 0;
    kept.Reset(new LinkAccessible(std::move(standard), link));
  }
  return Hand(wParam, kept.Get());
}

LinkAccessible::LinkAccessible(ComPtr<IAccessible> standard, const Link& link)
    : StandardAccessible(std::move(standard)), link_(link) {}

HRESULT LinkAccessible::get_accChildCount(long* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}
HRESULT LinkAccessible::get_accChild(VARIANT, IDispatch** dispatch) {
  if (dispatch != nullptr) *dispatch = nullptr;
  return E_INVALIDARG;
}
HRESULT LinkAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!Self(child)) return E_INVALIDARG;
  return Text(link_.name(), name);
}
HRESULT LinkAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (!Self(child)) return E_INVALIDARG;
  return Text(link_.value(), value);
}
HRESULT LinkAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!Self(child)) return E_INVALIDARG;
  if (role == nullptr) return E_POINTER;
  role->vt = VT_I4;
  role->lVal = ROLE_SYSTEM_LINK;
  return S_OK;
}
HRESULT LinkAccessible::get_accState(VARIANT child, VARIANT* state) {
  const HRESULT standard = StandardAccessible::get_accState(child, state);
  if (SUCCEEDED(standard) && Self(child) && state->vt == VT_I4) {
    state->lVal |= STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE;
  }
  return standard;
}
HRESULT LinkAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!Self(child)) return E_INVALIDARG;
  return Text(L"Jump", action);
}
HRESULT LinkAccessible::accDoDefaultAction(VARIANT child) {
  if (!Self(child)) return E_INVALIDARG;
  link_.jump();
  return S_OK;
}
HRESULT LinkAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT LinkAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace kestrova
