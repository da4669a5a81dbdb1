// The results of a batch as a file that a spreadsheet opens right: window-free (the host build
// tests it). UTF-8 with a byte-order mark (without one Excel reads the bytes in the system's
// code page), a header line, then one line per folder, each line ended by CR LF.
//
// Two formats. CSV quotes as RFC 4180 does: a field that holds a comma, a double quote, CR or
// LF goes in double quotes, with each of its double quotes doubled. Tab-separated text quotes
// the same way a field that holds a tab, a double quote, CR or LF (what Excel writes and reads
// for "Text (Tab delimited)"): no field is cut or changed, and every other field is written as
// it stands.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch/Batch.h"

namespace kestrova {

enum class TResultsFormat { Tsv, Csv };

// A line of the file: the line as the list shows it, the folder's full path, the archive's full
// path (empty when none was made), the archive's size in bytes, the seconds the folder took,
// the reason. The header is a line of the same columns.
using TResultsLine = std::array<std::wstring, 6>;

// A folder's line: the line the list shows for it, and its result. The archive's path and size
// are there only when the archiver left an archive.
TResultsLine ResultsLineOf(std::wstring shown, const TResult& result);

// The file's text: U+FEFF (the byte-order mark once encoded), the header, the lines.
std::wstring ResultsFileText(const TResultsLine& header, const std::vector<TResultsLine>& lines,
                             TResultsFormat format);

// A field as the format writes it.
std::wstring ResultsField(std::wstring_view field, TResultsFormat format);

// A size in bytes in decimal digits; empty for none.
std::wstring SizeText(std::optional<std::uint64_t> bytes);
// Milliseconds as seconds with one decimal, rounded to the nearest tenth: "12.3", "0.0".
std::wstring SecondsText(std::uint64_t milliseconds);
// A moment as the default file name gives it: "2025-05-08 0930".
std::wstring FileNameStamp(int year, int month, int day, int hour, int minute);

}  // namespace kestrova
