// An archiver's output read as a console line shows it.
#include "app/batch/ArchiverOutput.h"

namespace kestrova {

namespace {

// The end of text, at most TArchiverOutput::kKeptBytes, from a line's start where one is there.
std::string& KeepEnd(std::string& text) {
  constexpr std::size_t kKept = TArchiverOutput::kKeptBytes;
  if (text.size() <= kKept) return text;
  std::size_t start = text.size() - kKept;
  if (text[start - 1] != '\n') {
    const std::size_t next = text.find('\n', start);
    if (next != std::string::npos && next + 1 < text.size()) start = next + 1;
  }
  text.erase(0, start);
  return text;
}

}  // namespace

bool TArchiverOutput::Take(std::string_view bytes) {
  const std::optional<int> before = percent_;
  for (const char c : bytes) Put(c);
  return percent_ != before;
}

void TArchiverOutput::Put(char c) {
  switch (c) {
    case '\n':
      EndLine();
      NewSegment();
      return;
    case '\r':
      cursor_ = 0;
      NewSegment();
      return;
    case '\b':
      if (cursor_ > 0) --cursor_;
      NewSegment();
      return;
    default:
      break;
  }
  const bool digit = c >= '0' && c <= '9';
  switch (match_) {
    case Match::Blanks:
      if (c == ' ') {
        if (++blanks_ > 3) match_ = Match::None;
      } else if (digit) {
        match_ = Match::Digits;
        digits_ = 1;
        value_ = c - '0';
      } else {
        match_ = Match::None;
      }
      break;
    case Match::Digits:
      // Megabytes may take more digits than a percentage.
      if (digit && digits_ < 9) {
        ++digits_;
        value_ = value_ * 10 + (c - '0');
      } else if (c == '%' && digits_ <= 3 && value_ <= 100) {
        if (!percent_ || value_ > *percent_) percent_ = value_;
        MarkFrame();
      } else if (c == 'M') {
        match_ = Match::Megabytes;
      } else {
        match_ = Match::None;
      }
      break;
    case Match::Megabytes:
      // "  12M 3 + name": a frame that says no percentage.
      if (c == ' ') {
        MarkFrame();
      } else {
        match_ = Match::None;
      }
      break;
    case Match::Frame:
    case Match::None:
      break;
  }
  const char inFrame = match_ == Match::Frame ? 1 : 0;
  if (cursor_ < line_.size()) {
    line_[cursor_] = c;
    frame_[cursor_] = inFrame;
  } else if (cursor_ < kLongestLine) {
    line_ += c;
    frame_ += inFrame;
  }
  ++cursor_;
}

void TArchiverOutput::MarkFrame() {
  match_ = Match::Frame;
  // What the frame wrote before is the frame's too.
  for (std::size_t at = segmentStart_; at < cursor_ && at < line_.size(); ++at) frame_[at] = 1;
}

std::string TArchiverOutput::Shown() const {
  std::string shown = line_;
  for (std::size_t at = 0; at < shown.size(); ++at) {
    if (frame_[at] != 0) shown[at] = ' ';
  }
  // A line cut at its longest may end in part of a character.
  if (shown.size() == kLongestLine) {
    while (!shown.empty() && static_cast<unsigned char>(shown.back()) >= 0x80) shown.pop_back();
  }
  while (!shown.empty() && shown.back() == ' ') shown.pop_back();
  return shown;
}

void TArchiverOutput::EndLine() {
  const std::string shown = Shown();
  line_.clear();
  frame_.clear();
  cursor_ = 0;
  if (shown.empty()) return;
  kept_ += shown;
  kept_ += '\n';
  if (kept_.size() > 2 * kKeptBytes) KeepEnd(kept_);
}

std::string TArchiverOutput::Lines() const {
  std::string lines = kept_ + Shown();
  KeepEnd(lines);
  return lines;
}

}  // namespace kestrova
