// ErrorBoxText: the message comes back as it is or with one "." added, decided by the first
// byte of its last character; adding again changes nothing unless the message ended in a
// lone lead byte (which the added "." then pairs with).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "toolkit/TextRules.h"

namespace {

bool NoLeadBytes(unsigned char) { return false; }

void Check(std::string_view message, kestrova::LeadByteTest isLead) {
  const std::string text = kestrova::ErrorBoxText(message, isLead);
  if (message.empty()) {
    FUZZ_CHECK(text.empty());
    return;
  }
  const bool appended = text.size() == message.size() + 1;
  FUZZ_CHECK(text.compare(0, message.size(), message) == 0);
  FUZZ_CHECK(text.size() == message.size() || (appended && text.back() == '.'));

  // The last character, found by pairing bytes from the front with a loop of our own.
  std::size_t last = 0;
  bool pair = false;
  for (std::size_t pos = 0; pos < message.size(); pos += pair ? 2 : 1) {
    last = pos;
    pair = isLead(static_cast<unsigned char>(message[pos])) && pos + 1 < message.size();
  }
  const unsigned char first = static_cast<unsigned char>(message[last]);
  // Neither code page has '.' as a lead byte, so the first byte alone decides.
  FUZZ_CHECK(appended == (first > '.'));

  const bool loneLeadAtEnd = !pair && isLead(first);
  if (!loneLeadAtEnd) FUZZ_CHECK(kestrova::ErrorBoxText(text, isLead) == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view message(reinterpret_cast<const char*>(data), size);
  Check(message, kestrova::ShiftJisLeadByte);
  Check(message, NoLeadBytes);
  return 0;
}
