// The toolkit's errors: what went wrong, without the program's words. The program turns each
// into its own text (the error-text function it gives TApplication); the platform's message
// for a failed call is part of it.
#pragma once

#include <exception>
#include <string>

#include "toolkit/Win.h"

namespace kestrova {

class Error : public std::exception {
 public:
  enum class Kind {
    Platform,     // a platform call failed: subject is its name, code the error it left
    CannotWrite,  // a file refused a write: subject is its path
    ListIndex,    // a list position that names no item
    ListInsert,   // a list refused an item
    Message,      // a text for the user as it stands: subject
  };

  Error(Kind kind, std::wstring subject, DWORD code = 0)
      : kind_(kind), subject_(std::move(subject)), code_(code) {}

  Kind GetKind() const { return kind_; }
  const std::wstring& Subject() const { return subject_; }
  DWORD Code() const { return code_; }
  const char* what() const noexcept override { return "kestrova::Error"; }

 private:
  Kind kind_;
  std::wstring subject_;
  DWORD code_;
};

// Throws the error of a failed platform call, with the code it left.
[[noreturn]] void ThrowLastError(const wchar_t* function);

// The system's own message for an error code, in the system's language; empty when there is
// none.
std::wstring SystemMessage(DWORD code);

}  // namespace kestrova
