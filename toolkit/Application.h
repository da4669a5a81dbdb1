// The application: one run of the program's windows. Whoever runs them (wWinMain, a test)
// makes it before the first window and lets it go after the last, and everything it holds
// belongs to that run and goes with it: the title and the program's words for errors (the
// standard error box's), the modeless forms that joined its message loop, the error boxes
// waiting to be shown, and the main form while Run runs it. One exists at a time; the
// toolkit's windows live inside it and reach it as Application().
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
  // The program's text for a toolkit error: the toolkit has no words of its own.
  using ErrorTextFunction = std::function<std::wstring(const Error&)>;

  // Starts the common controls. Throws std::logic_error while another application exists.
  TApplication(std::wstring title, ErrorTextFunction errorText);
  // A quit request left in the queue (ProcessMessages posts it again) goes with the run.
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  // The caption of the standard error box, and the program's name wherever it shows it.
  const std::wstring& Title() const { return title_; }

  // Shows the main form (its first activation included) and hands messages to their windows
  // until a quit request; returns its exit code (Terminate's). shown, when given, runs once the
  // main form is visible, right before its first activation.
  int Run(TForm& mainForm, const std::function<void()>& shown = {});
  // Queues a quit request with that exit code; the message loop ends when it meets it.
  void Terminate(int exitCode = 0);
  // Hands every pending message to its handler without waiting. False once it meets a quit
  // request, which it posts again so that the loop of Run still ends on it.
  bool ProcessMessages();
  // Hands one retrieved message to its window, with dialog keys (Tab, arrows, Enter) for the
  // modeless forms.
  void Deliver(MSG& msg);
  // Modeless forms join the message loop while they exist.
  void AddModeless(TForm* form);
  void RemoveModeless(TForm* form);

  // The one exception guard of the entry procedures: runs a window's handler, which says
  // whether it handled the message; an exception stops here (HandleException) and the message
  // counts as handled with the result 0.
  template <typename Handler>
  static bool Guarded(HWND window, UINT msg, LRESULT& result, Handler&& handler) noexcept {
    try {
      return handler();
    } catch (...) {
      // Outside an application there is no box to show it in.
      if (current_ != nullptr) current_->HandleException(window, msg);
      result = 0;
      return true;
    }
  }
  // Shows the exception being handled in the standard error box; from a catch block at the
  // edge where a window's message was handled. Messages that paint get their box later, from
  // the message loop: a box shown while painting would be painted over and shown again.
  void HandleException(HWND window, UINT msg) noexcept;
  // The standard error box: the title as caption, the error icon, one OK button.
  void ShowErrorBox(std::wstring_view message) noexcept;

  // Posted to the main form while Run runs it (a window's message outlives any modal loop),
  // else to the thread, when error boxes wait to be shown; either way it comes to
  // ShowPendingErrors.
  static constexpr UINT kShowPendingErrors = WM_APP + 0x3E7;
  void ShowPendingErrors();

 private:
  friend TApplication& Application();

  void ShowLater(std::wstring text);

  inline static TApplication* current_ = nullptr;

  const std::wstring title_;
  const ErrorTextFunction errorText_;
  TForm* mainForm_ = nullptr;
  std::vector<TForm*> modeless_;
  std::vector<std::wstring> pending_;
};

// The application that exists now; asking for it when none does is a fault of the caller
// (std::logic_error).
TApplication& Application();

}  // namespace kestrova
