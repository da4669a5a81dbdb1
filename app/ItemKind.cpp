#include "app/ItemKind.h"

#include <cstdio>
#include <memory>
#include <string>

#include "toolkit/Win.h"

namespace kestrova {

TItemKind GetItemKind(const std::string& path) {
  // Looked at through the wide services: the code-page ones stop at MAX_PATH characters and
  // would take a deeper folder for an unreadable item.
  const int count = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()),
                                        nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), count);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return ikFolder;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(wide.c_str(), L"rb"), &std::fclose);
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
