// What an archiver writes on the output Kestrova reads, taken as it comes: how far it says it
// is, and the rest of what it wrote (its last words, for a reason) without its progress. No
// <windows.h> here: the host build tests and fuzzes it directly.
//
// A console archiver redraws its progress in place: the 7-Zip console given -bsp1 prints
// "  3% 62 + name" and erases it with "\r" or backspaces, blanks and the same again; the rar
// console writes four backspaces and "%3d%%" after a file's name. So the bytes are read as a
// console line shows them: "\b" steps back one byte, "\r" goes to the line's start, "\n" ends
// the line, and what is written overwrites what was there. A frame is what is written from a
// line's start or a step back (after "\n", "\r" or "\b") up to the next of these, when it
// begins with at most three blanks, one to three digits and "%": its percentage counts, and it
// is no part of the lines kept. A count without a total (megabytes: "  12M 3 + name", "M" and a
// blank) is a frame that gives no percentage.
// Controls, blanks, digits and "%" are never part of a multi-byte character, in UTF-8 or in the
// OEM code pages (Shift_JIS's second bytes begin at 0x40), and "M" counts only right after a
// digit: bytes of either kind are taken as they come.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

class TArchiverOutput {
 public:
  // How much of the lines is kept: their end, where the archivers say why they failed.
  static constexpr std::size_t kKeptBytes = 8192;
  // A line longer than this keeps its start (a reason keeps far less of it).
  static constexpr std::size_t kLongestLine = 2048;

  // Takes the next bytes written, cut anywhere; true when the percentage rose.
  bool Take(std::string_view bytes);

  // The highest percentage shown so far, 0 to 100: within one run it never goes back. None
  // before the first.
  std::optional<int> Percent() const { return percent_; }

  // The lines written, as a console would show them once every frame is erased: each line that
  // is not empty, blanks at its end dropped, followed by "\n" (the last one unless it has
  // ended). At most kKeptBytes of their end, from the start of a line where that can be.
  std::string Lines() const;

 private:
  enum class Match { Blanks, Digits, Megabytes, Frame, None };

  void Put(char c);
  // The segment is a frame, from its start.
  void MarkFrame();
  // The line in hand, its frame bytes blank and blanks at its end dropped.
  std::string Shown() const;
  void EndLine();
  void NewSegment() {
    match_ = Match::Blanks;
    segmentStart_ = cursor_;
    blanks_ = digits_ = value_ = 0;
  }

  std::string kept_;
  // The line in hand and, for each of its bytes, whether a frame wrote it.
  std::string line_;
  std::string frame_;
  std::size_t cursor_ = 0;
  // How far what has been written since the segment began looks like a frame.
  Match match_ = Match::Blanks;
  std::size_t segmentStart_ = 0;
  int blanks_ = 0, digits_ = 0, value_ = 0;
  std::optional<int> percent_;
};

}  // namespace kestrova
