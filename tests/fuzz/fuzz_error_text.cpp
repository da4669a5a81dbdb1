// ErrorBoxText: the message comes back as it is or with one "." added, decided by its last
// unit, and adding again changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "toolkit/TextRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring message = FuzzUnits(data, size);
  const std::wstring text = kestrova::ErrorBoxText(message);
  if (message.empty()) {
    FUZZ_CHECK(text.empty());
    return 0;
  }
  const bool appended = text.size() == message.size() + 1;
  FUZZ_CHECK(text.compare(0, message.size(), message) == 0);
  FUZZ_CHECK(text.size() == message.size() || (appended && text.back() == L'.'));
  FUZZ_CHECK(appended == (static_cast<unsigned>(message.back()) > L'.'));
  FUZZ_CHECK(kestrova::ErrorBoxText(text) == text);
  return 0;
}
