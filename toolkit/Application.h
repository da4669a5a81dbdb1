// The application object: its title, the message pumping that every loop of the program
// shares, running the main form, and the standard error box.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Win.h"

namespace kestrova {

class TForm;

// The toolkit's own error family: a message for the user.
class Exception : public std::exception {
 public:
  explicit Exception(std::wstring message) : message_(std::move(message)) {}
  const std::wstring& Message() const { return message_; }
  const char* what() const noexcept override { return "kestrova::Exception"; }

 private:
  std::wstring message_;
};

// Text of the program's string table.
std::wstring LoadStr(UINT id);

class TApplication {
 public:
  void Initialize(HINSTANCE instance);
  HINSTANCE Instance() const { return instance_; }

  const std::wstring& Title() const { return title_; }
  void SetTitle(std::wstring_view title) { title_ = title; }

  // The first form created becomes the main form; closing it ends the application.
  TForm* MainForm() const { return mainForm_; }
  void RegisterForm(TForm* form);
  void UnregisterForm(TForm* form);

  // Hands every pending message to its handler. A quit request met here is kept (the
  // application counts as terminated) so that the outer loop still ends.
  void ProcessMessages();

  // Waits up to timeoutMs for the handle to be signalled, handing each message to its
  // handler as soon as it arrives. Returns WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
  DWORD WaitPumping(HANDLE handle, DWORD timeoutMs);

  // Shows the main form (its first activation included) and runs the message loop until
  // the application is asked to end. Returns the exit code.
  int Run();

  // Queues a quit request; the loops end when they meet it.
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Shows the exception being handled in the standard error box. Call from a catch block.
  void HandleException() noexcept;
  // The standard error box: the title as caption, the error icon, one OK button.
  void ShowErrorBox(std::wstring_view message) noexcept;

  // Hands one retrieved message to its window, with dialog keys (Tab, arrows) for forms.
  void Deliver(MSG& msg);

  // Remembers a quit request that a loop met and could not end on.
  void NoteQuit() { terminated_ = true; }

 private:
  HINSTANCE instance_ = nullptr;
  std::wstring title_;
  TForm* mainForm_ = nullptr;
  std::vector<TForm*> forms_;
  bool terminated_ = false;
};

extern TApplication Application;

}  // namespace kestrova
