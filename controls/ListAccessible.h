// What a screen reader learns of a list of ours beyond the system's own object for it: each
// line's description (its tip: why a folder failed or was skipped), and the list's own while
// it has no line (what to do with it).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "controls/StandardAccessible.h"

namespace kestrova {

class ListAccessible final : public StandardAccessible {
 public:
  // The description of a line (child: its position + 1) or of the list (CHILDID_SELF);
  // nothing leaves it to the system's object.
  using Describe = std::function<std::optional<std::wstring>(long child)>;

  // The answer to WM_GETOBJECT for the list; 0 when it is not asked for its client object or
  // no accessible object can be had. The list keeps its object in kept from the first answer
  // on.
  static LRESULT Answer(HWND hwnd, WPARAM wParam, LPARAM lParam, ComPtr<ListAccessible>& kept,
                        const Describe& describe);

  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;

 private:
  ListAccessible(ComPtr<IAccessible> standard, const Describe& describe);
  ~ListAccessible() override = default;
  void Disconnected() override { describe_ = Describe{}; }

  Describe describe_;
};

}  // namespace kestrova
