#include "toolkit/Announce.h"

#include <string>

#include "toolkit/Handles.h"
#include "toolkit/SystemCalls.h"

namespace kestrova {

namespace {

// A BSTR freed when it goes.
class SystemString {
 public:
  explicit SystemString(std::wstring_view text) {
    if (const auto allocate = sys::OleAut32().SysAllocStringLen) {
      text_ = allocate(text.data(), static_cast<UINT>(text.size()));
    }
  }
  ~SystemString() {
    if (text_ != nullptr) sys::OleAut32().SysFreeString(text_);
  }
  SystemString(const SystemString&) = delete;
  SystemString& operator=(const SystemString&) = delete;
  BSTR Get() const { return text_; }

 private:
  BSTR text_ = nullptr;
};

}  // namespace

bool Announce(HWND window, std::wstring_view text, TAnnounced kind, std::wstring_view activity) {
  // uiautomationcore is loaded at the first announcement, not at every start.
  const auto hostProvider = sys::UiAutomationCore().UiaHostProviderFromHwnd;
  const auto raise = sys::UiAutomationCore().UiaRaiseNotificationEvent;
  if (hostProvider == nullptr || raise == nullptr) return false;
  // The window's own element, as UI Automation knows it without a provider of ours.
  ComPtr<IRawElementProviderSimple> provider;
  if (FAILED(hostProvider(window, reinterpret_cast<IRawElementProviderSimple**>(
                                      provider.Receive()))) ||
      !provider) {
    return false;
  }
  const SystemString display(text);
  const SystemString activityId(activity);
  if (display.Get() == nullptr || activityId.Get() == nullptr) return false;
  return SUCCEEDED(raise(provider.Get(),
                         kind == TAnnounced::Completed ? NotificationKind_ActionCompleted
                                                       : NotificationKind_ActionAborted,
                         NotificationProcessing_ImportantMostRecent, display.Get(),
                         activityId.Get()));
}

}  // namespace kestrova
