#include "controls/StandardAccessible.h"

#include <utility>

#include "toolkit/SystemCalls.h"

namespace kestrova {

StandardAccessible::StandardAccessible(ComPtr<IAccessible> standard)
    : standard_(std::move(standard)) {}

ComPtr<IAccessible> StandardAccessible::StandardOf(HWND hwnd) {
  // oleacc is loaded when a screen reader first asks, not at every start.
  ComPtr<IAccessible> standard;
  const auto createStandard = sys::OleAcc().CreateStdAccessibleObject;
  if (createStandard == nullptr ||
      FAILED(createStandard(hwnd, OBJID_CLIENT, __uuidof(IAccessible), standard.Receive()))) {
    standard.Reset();
  }
  return standard;
}

LRESULT StandardAccessible::Hand(WPARAM wParam, IAccessible* object) {
  const auto fromObject = sys::OleAcc().LresultFromObject;
  return fromObject != nullptr ? fromObject(__uuidof(IAccessible), wParam, object) : 0;
}

HRESULT StandardAccessible::Text(const std::wstring& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  const auto allocate = sys::OleAut32().SysAllocStringLen;
  *out = allocate != nullptr ? allocate(text.data(), static_cast<UINT>(text.size())) : nullptr;
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

void StandardAccessible::Disconnect() {
  connected_ = false;
  Disconnected();
}

HRESULT StandardAccessible::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG StandardAccessible::AddRef() { return ++references_; }

ULONG StandardAccessible::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT StandardAccessible::GetTypeInfoCount(UINT* count) {
  return standard_->GetTypeInfoCount(count);
}
HRESULT StandardAccessible::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
  return standard_->GetTypeInfo(index, lcid, info);
}
HRESULT StandardAccessible::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) {
  return standard_->GetIDsOfNames(riid, names, count, lcid, ids);
}
HRESULT StandardAccessible::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argError) {
  return standard_->Invoke(id, riid, lcid, flags, params, result, exception, argError);
}

HRESULT StandardAccessible::get_accParent(IDispatch** parent) {
  return standard_->get_accParent(parent);
}
HRESULT StandardAccessible::get_accChildCount(long* count) {
  return standard_->get_accChildCount(count);
}
HRESULT StandardAccessible::get_accChild(VARIANT child, IDispatch** dispatch) {
  return standard_->get_accChild(child, dispatch);
}
HRESULT StandardAccessible::get_accName(VARIANT child, BSTR* name) {
  return standard_->get_accName(child, name);
}
HRESULT StandardAccessible::get_accValue(VARIANT child, BSTR* value) {
  return standard_->get_accValue(child, value);
}
HRESULT StandardAccessible::get_accDescription(VARIANT child, BSTR* description) {
  return standard_->get_accDescription(child, description);
}
HRESULT StandardAccessible::get_accRole(VARIANT child, VARIANT* role) {
  return standard_->get_accRole(child, role);
}
HRESULT StandardAccessible::get_accState(VARIANT child, VARIANT* state) {
  return standard_->get_accState(child, state);
}
HRESULT StandardAccessible::get_accHelp(VARIANT child, BSTR* help) {
  return standard_->get_accHelp(child, help);
}
HRESULT StandardAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
  return standard_->get_accHelpTopic(file, child, topic);
}
HRESULT StandardAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return standard_->get_accKeyboardShortcut(child, shortcut);
}
HRESULT StandardAccessible::get_accFocus(VARIANT* child) { return standard_->get_accFocus(child); }
HRESULT StandardAccessible::get_accSelection(VARIANT* children) {
  return standard_->get_accSelection(children);
}
HRESULT StandardAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  return standard_->get_accDefaultAction(child, action);
}
HRESULT StandardAccessible::accSelect(long flags, VARIANT child) {
  return standard_->accSelect(flags, child);
}
HRESULT StandardAccessible::accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) {
  return standard_->accLocation(left, top, width, height, child);
}
HRESULT StandardAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  return standard_->accNavigate(direction, start, end);
}
HRESULT StandardAccessible::accHitTest(long left, long top, VARIANT* child) {
  return standard_->accHitTest(left, top, child);
}
HRESULT StandardAccessible::accDoDefaultAction(VARIANT child) {
  return standard_->accDoDefaultAction(child);
}
HRESULT StandardAccessible::put_accName(VARIANT child, BSTR name) {
  return standard_->put_accName(child, name);
}
HRESULT StandardAccessible::put_accValue(VARIANT child, BSTR value) {
  return standard_->put_accValue(child, value);
}

}  // namespace kestrova
