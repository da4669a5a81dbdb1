// The application object: its title, the message pumping that every loop of the program
// shares, running the main form, and the standard error box.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Error.h"
#include "toolkit/Win.h"

namespace kestrova {

class TForm;

class TApplication {
 public:
  void Initialize(HINSTANCE instance);
  HINSTANCE Instance() const { return instance_; }

  const std::wstring& Title() const { return title_; }
  void SetTitle(std::wstring_view title) { title_ = title; }

  // The user's text for a toolkit error; the program gives its own (the default is English).
  std::function<std::wstring(const Error&)> ErrorText;

  // Hands every pending message to its handler. A quit request met here is kept (the
  // application counts as terminated) so that the outer loop still ends.
  void ProcessMessages();

  // Shows the main form (its first activation included) and runs the message loop until the
  // application is asked to end. Returns the exit code.
  int Run(TForm& mainForm);

  // Queues a quit request; the loops end when they meet it.
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Shows the exception being handled in the standard error box; from a catch block at the
  // edge where a window's message was handled. Messages that paint get their box later, from
  // the message loop: a box shown while painting would be painted over and shown again.
  void HandleException(HWND window, UINT msg) noexcept;
  // The guarded call of the entry procedures: runs a window's handler, which says whether it
  // handled the message; an exception stops here (HandleException) and the message counts as
  // handled with the result 0.
  template <typename Handler>
  bool Guarded(HWND window, UINT msg, LRESULT& result, Handler&& handler) noexcept {
    try {
      return handler();
    } catch (...) {
      HandleException(window, msg);
      result = 0;
      return true;
    }
  }
  // The standard error box: the title as caption, the error icon, one OK button.
  void ShowErrorBox(std::wstring_view message) noexcept;

  // Hands one retrieved message to its window, with dialog keys (Tab, arrows, Enter) for the
  // modeless forms.
  void Deliver(MSG& msg);
  // Modeless forms register here for their dialog keys while they exist.
  void AddModeless(TForm* form);
  void RemoveModeless(TForm* form);

  // Posted to the main form (a window's message outlives any modal loop) when error boxes wait
  // to be shown; the form calls ShowPendingErrors.
  static constexpr UINT kShowPendingErrors = WM_APP + 0x3E7;
  void ShowPendingErrors();

 private:
  std::wstring TextOf(const Error& error) const;
  void ShowLater(std::wstring text);

  HINSTANCE instance_ = nullptr;
  std::wstring title_;
  TForm* mainForm_ = nullptr;
  std::vector<TForm*> modeless_;
  std::vector<std::wstring> pending_;
  bool terminated_ = false;
};

extern TApplication Application;

// A string of the application's string table.
std::wstring LoadStr(UINT id);

}  // namespace kestrova
