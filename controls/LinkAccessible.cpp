#include "controls/LinkAccessible.h"

#include <utility>

#include "toolkit/SystemCalls.h"

namespace kestrova {

namespace {

// oleacc and oleaut32 are loaded when a screen reader first asks, not at every start.
BSTR MakeString(const std::wstring& text) {
  const auto allocate = sys::OleAut32().SysAllocStringLen;
  return allocate != nullptr ? allocate(text.data(), static_cast<UINT>(text.size())) : nullptr;
}

HRESULT Text(const std::wstring& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = MakeString(text);
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

LRESULT LinkAccessible::Answer(HWND hwnd, WPARAM wParam, LPARAM lParam,
                               ComPtr<LinkAccessible>& kept, const Link& link) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
  const auto createStandard = sys::OleAcc().CreateStdAccessibleObject;
  const auto fromObject = sys::OleAcc().LresultFromObject;
  if (createStandard == nullptr || fromObject == nullptr) return 0;
  if (!kept) {
    ComPtr<IAccessible> standard;
    if (FAILED(createStandard(hwnd, OBJID_CLIENT, __uuidof(IAccessible), standard.Receive()))) {
      return 0;
    }
    kept.Reset(new LinkAccessible(std::move(standard), link));
  }
  return fromObject(__uuidof(IAccessible), wParam, kept.Get());
}

LinkAccessible::LinkAccessible(ComPtr<IAccessible> standard, const Link& link)
    : standard_(std::move(standard)), link_(link) {}

void LinkAccessible::Disconnect() {
  connected_ = false;
  link_ = Link{};
}

bool LinkAccessible::Mine(const VARIANT& child) const {
  return connected_ && child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT LinkAccessible::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG LinkAccessible::AddRef() { return ++references_; }

ULONG LinkAccessible::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT LinkAccessible::GetTypeInfoCount(UINT* count) {
  return standard_->GetTypeInfoCount(count);
}
HRESULT LinkAccessible::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
  return standard_->GetTypeInfo(index, lcid, info);
}
HRESULT LinkAccessible::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                      DISPID* ids) {
  return standard_->GetIDsOfNames(riid, names, count, lcid, ids);
}
HRESULT LinkAccessible::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  return standard_->Invoke(id, riid, lcid, flags, params, result, exception, argError);
}

HRESULT LinkAccessible::get_accParent(IDispatch** parent) {
  return standard_->get_accParent(parent);
}
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
  if (!Mine(child)) return E_INVALIDARG;
  return Text(link_.name(), name);
}
HRESULT LinkAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (!Mine(child)) return E_INVALIDARG;
  return Text(link_.value(), value);
}
HRESULT LinkAccessible::get_accDescription(VARIANT child, BSTR* description) {
  return standard_->get_accDescription(child, description);
}
HRESULT LinkAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!Mine(child)) return E_INVALIDARG;
  if (role == nullptr) return E_POINTER;
  role->vt = VT_I4;
  role->lVal = ROLE_SYSTEM_LINK;
  return S_OK;
}
HRESULT LinkAccessible::get_accState(VARIANT child, VARIANT* state) {
  const HRESULT standard = standard_->get_accState(child, state);
  if (SUCCEEDED(standard) && Mine(child) && state->vt == VT_I4) {
    state->lVal |= STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE;
  }
  return standard;
}
HRESULT LinkAccessible::get_accHelp(VARIANT child, BSTR* help) {
  return standard_->get_accHelp(child, help);
}
HRESULT LinkAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
  return standard_->get_accHelpTopic(file, child, topic);
}
HRESULT LinkAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return standard_->get_accKeyboardShortcut(child, shortcut);
}
HRESULT LinkAccessible::get_accFocus(VARIANT* child) { return standard_->get_accFocus(child); }
HRESULT LinkAccessible::get_accSelection(VARIANT* children) {
  return standard_->get_accSelection(children);
}
HRESULT LinkAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!Mine(child)) return E_INVALIDARG;
  return Text(L"Jump", action);
}
HRESULT LinkAccessible::accSelect(long flags, VARIANT child) {
  return standard_->accSelect(flags, child);
}
HRESULT LinkAccessible::accLocation(long* left, long* top, long* width, long* height,
                                    VARIANT child) {
  return standard_->accLocation(left, top, width, height, child);
}
HRESULT LinkAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  return standard_->accNavigate(direction, start, end);
}
HRESULT LinkAccessible::accHitTest(long left, long top, VARIANT* child) {
  return standard_->accHitTest(left, top, child);
}
HRESULT LinkAccessible::accDoDefaultAction(VARIANT child) {
  if (!Mine(child)) return E_INVALIDARG;
  link_.jump();
  return S_OK;
}
HRESULT LinkAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT LinkAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace kestrova
