// Window-free texts of an archive job and a batch. Bytes are compared as unsigned char so
// that Shift_JIS bytes from 0x80 up are never taken for blanks or separators.
#include "app/JobText.h"

namespace kestrova {

namespace {

unsigned char ByteAt(std::string_view text, std::size_t pos) {
  return static_cast<unsigned char>(text[pos]);
}

bool IsPathSeparator(unsigned char byte) { return byte == '\\' || byte == ':'; }

}  // namespace

std::string FolderName(std::string_view path, LeadByteTest isLead) {
  // Walk from the front so that a trail byte equal to '\' (as in Shift_JIS 0x95 0x5C) is
  // stepped over together with its lead byte and never taken for a separator.
  std::size_t nameStart = 0;
  for (std::size_t pos = 0; pos < path.size();) {
    std::size_t length = CharLength(path, pos, isLead);
    if (length == 1 && IsPathSeparator(ByteAt(path, pos))) nameStart = pos + 1;
    pos += length;
  }
  return std::string(path.substr(nameStart));
}

std::string ArchiverCommandLine(std::string_view archiverPath, std::string_view profile,
                                std::string_view archivePath, std::string_view sourceFolder) {
  std::string line;
  line.reserve(archiverPath.size() + profile.size() + archivePath.size() + sourceFolder.size() +
               10);
  line += '"';
  line += archiverPath;
  line += "\" ";
  line += profile;
  line += " \"";
  line += archivePath;
  line += "\" \"";
  line += sourceFolder;
  line += "*\"";
  return line;
}

std::size_t CharCount(std::string_view text, LeadByteTest isLead) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos, isLead)) ++count;
  return count;
}

bool CommandLineFits(std::string_view commandLine, LeadByteTest isLead) {
  return CharCount(commandLine, isLead) + 1 <= kMaxCommandLineChars;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> words;
  std::size_t pos = 0;
  const std::size_t end = commandLine.size();
  for (;;) {
    // Blanks, then any "" where the word would begin, as often as they come.
    for (;;) {
      while (pos < end && ByteAt(commandLine, pos) <= ' ') ++pos;
      if (pos + 1 < end && commandLine[pos] == '"' && commandLine[pos + 1] == '"') {
        pos += 2;
        continue;
      }
      break;
    }

    std::string word;
    while (pos < end && ByteAt(commandLine, pos) > ' ') {
      if (commandLine[pos] == '"') {
        ++pos;
        while (pos < end && commandLine[pos] != '"') word += commandLine[pos++];
        if (pos < end) ++pos;  // the closing quote
      } else {
        word += commandLine[pos++];
      }
    }
    if (word.empty()) break;
    words.push_back(std::move(word));
  }
  return words;
}

}  // namespace kestrova
