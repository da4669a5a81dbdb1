// What a screen reader learns of a hyperlink label: a link (ROLE_SYSTEM_LINK) named by its
// caption, valued by its target, that jumps when its default action is done. Everything else
// comes from the system's own accessible object for the window.
#pragma once

#include <functional>
#include <string>

#include "controls/StandardAccessible.h"

namespace kestrova {

class LinkAccessible final : public StandardAccessible {
 public:
  struct Link {
    std::function<std::wstring()> name;    // the caption
    std::function<std::wstring()> value;   // the target
    std::function<void()> jump;            // opens the target
  };

  // The answer to WM_GETOBJECT for the window; 0 when it is not asked for its client object
  // or no accessible object can be had. The window keeps its object in kept from the first
  // answer on.
  static LRESULT Answer(HWND hwnd, WPARAM wParam, LPARAM lParam, ComPtr<LinkAccessible>& kept,
                        const Link& link);

  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 private:
  LinkAccessible(ComPtr<IAccessible> standard, const Link& link);
  ~LinkAccessible() override = default;
  void Disconnected() override { link_ = Link{}; }

  Link link_;
};

}  // namespace kestrova
