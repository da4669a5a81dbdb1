#include "toolkit/FileWrite.h"

#include "toolkit/Handles.h"
#include "toolkit/Win.h"

namespace kestrova {

namespace {

// The attributes a new file takes over from the one it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Writes the bytes over the file's own, whole, and cuts it there.
bool WriteInPlace(const std::wstring& path, std::string_view bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) &&
         written == bytes.size() && FlushFileBuffers(file.Get());
}

}  // namespace

bool ReplaceFileBytes(const std::wstring& path, std::string_view bytes) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  // A read-only file is the user's "do not write"; a folder is no file to replace.
  if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  // The new file sits beside the old one, its name as long (the last character a tilde) so that
  // it reaches wherever the old one does. One left by a save that did not finish goes first:
  // creating over a hidden or system file without its attributes is refused.
  std::wstring temporary = path;
  temporary.back() = temporary.back() == L'~' ? L'_' : L'~';
  DeleteFileW(temporary.c_str());
  // It has the old one's attributes from the start: whichever way it takes the old one's place,
  // it is never seen without them.
  const DWORD kept = exists ? attributes & kKeptAttributes : 0;
  {
    UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
    // A folder that takes no new file may still let its file be written (a settings file made
    // writable for the user in a protected folder): written in place there, as it always was,
    // rather than refused.
    if (!file) return exists && WriteInPlace(path, bytes);
    DWORD written = 0;
    // On the disk before it replaces anything: a crash leaves the old file or the whole new one.
    const bool whole = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                 &written, nullptr) &&
                       written == bytes.size() && FlushFileBuffers(file.Get());
    if (!whole) {
      file.Reset();
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  // ReplaceFileW keeps the old file's identity (creation time, ACL, attributes, streams). It
  // needs an old file, some file systems cannot do it, and where it took the old file away but
  // could not rename the new one, the new one is still there under its own name: the move puts
  // it in place. Where the old file refuses, the move is refused too.
  bool replaced = exists && ReplaceFileW(path.c_str(), temporary.c_str(), nullptr,
                                         REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
  if (!replaced) {
    replaced = MoveFileExW(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  if (!replaced) DeleteFileW(temporary.c_str());
  return replaced;
}

}  // namespace kestrova
