// The accessible object of a window of ours, as screen readers get it for WM_GETOBJECT: every
// answer is the system's own standard object's for the window's client area, but those a
// derived class gives itself (LinkAccessible: a link; ListAccessible: a list's descriptions).
#pragma once

#include <string>

#include "toolkit/Handles.h"

#include <oleacc.h>

namespace kestrova {

class StandardAccessible : public IAccessible {
 public:
  // The window goes: clients that still hold the object get errors from now on.
  void Disconnect();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argError) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 protected:
  explicit StandardAccessible(ComPtr<IAccessible> standard);
  virtual ~StandardAccessible() = default;

  // The system's standard object for the window's client area; null where none can be had.
  static ComPtr<IAccessible> StandardOf(HWND hwnd);
  // The answer to WM_GETOBJECT that hands the object out (0 where it cannot be).
  static LRESULT Hand(WPARAM wParam, IAccessible* object);
  // A text as a client gets it (a new BSTR, which the client frees).
  static HRESULT Text(const std::wstring& text, BSTR* out);
  // What the object lets go of when its window goes.
  virtual void Disconnected() {}

  bool Connected() const { return connected_; }
  // Whether the request is about the object itself, while its window is there.
  bool Self(const VARIANT& child) const {
    return connected_ && child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }
  IAccessible& Standard() const { return *standard_.Get(); }

 private:
  ULONG references_ = 1;
  ComPtr<IAccessible> standard_;
  bool connected_ = true;
};

}  // namespace kestrova
