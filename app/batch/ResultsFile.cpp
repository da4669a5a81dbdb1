// The results file's text.
#include "app/batch/ResultsFile.h"

#include <utility>

namespace kestrova {

namespace {

// Digits of a number, at least width of them.
std::wstring Digits(std::uint64_t value, std::size_t width = 1) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
    value /= 10;
  } while (value != 0);
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return digits;
}

}  // namespace

std::wstring ResultsField(std::wstring_view field, TResultsFormat format) {
  const wchar_t separator = format == TResultsFormat::Csv ? L',' : L'\t';
  const bool quoted = field.find_first_of(std::wstring{separator, L'"', L'\r', L'\n'}) !=
                      std::wstring_view::npos;
  if (!quoted) return std::wstring(field);
  std::wstring text = L"\"";
  for (const wchar_t c : field) {
    if (c == L'"') text += L'"';
    text += c;
  }
  text += L'"';
  return text;
}

std::wstring ResultsFileText(const TResultsLine& header, const std::vector<TResultsLine>& lines,
                             TResultsFormat format) {
  const wchar_t separator = format == TResultsFormat::Csv ? L',' : L'\t';
  std::wstring text(1, L'\uFEFF');
  const auto add = [&](const TResultsLine& line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (i > 0) text += separator;
      text += ResultsField(line[i], format);
    }
    text += L"\r\n";
  };
  add(header);
  for (const TResultsLine& line : lines) add(line);
  return text;
}

TResultsLine ResultsLineOf(std::wstring shown, const TResult& result) {
  return {std::move(shown),
          result.folder,
          result.archiveSize ? result.archive : std::wstring(),
          SizeText(result.archiveSize),
          SecondsText(result.milliseconds),
          result.reason};
}

std::wstring SizeText(std::optional<std::uint64_t> bytes) {
  return bytes ? Digits(*bytes) : std::wstring();
}

std::wstring SecondsText(std::uint64_t milliseconds) {
  const std::uint64_t tenths = milliseconds / 100 + (milliseconds % 100 >= 50 ? 1 : 0);
  return Digits(tenths / 10) + L"." + Digits(tenths % 10);
}

std::wstring FileNameStamp(int year, int month, int day, int hour, int minute) {
  const auto part = [](int value, std::size_t width) {
    return Digits(static_cast<std::uint64_t>(value < 0 ? 0 : value), width);
  };
  return part(year, 4) + L"-" + part(month, 2) + L"-" + part(day, 2) + L" " + part(hour, 2) +
         part(minute, 2);
}

}  // namespace kestrova
