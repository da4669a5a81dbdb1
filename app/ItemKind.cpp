#include "app/ItemKind.h"

#include <cstdio>
#include <memory>

#include "toolkit/Win.h"

namespace kestrova {

TItemKind GetItemKind(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return ikFolder;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return ikUnreadable;
  // Zeroed, so a file shorter than two bytes compares as neither signature.
  unsigned char buffer[128] = {};
  std::fread(buffer, 2, 1, file.get());
  file.reset();
  if (buffer[0] == 'P' && buffer[1] == 'K') return ikZip;
  if (buffer[0] == '7' && buffer[1] == 'z') return ik7z;
  return ikOther;
}

}  // namespace kestrova
