#include "toolkit/FileWrite.h"

#include <atomic>
#include <cstdint>

#include "toolkit/Handles.h"
#include "toolkit/Paths.h"
#include "toolkit/TextRules.h"
#include "toolkit/Win.h"

namespace kestrova {

namespace {

// The attributes a new file takes over from the one it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Writes the bytes over the file's own and cuts it there. It shares the file with whoever holds
// it and lets it be written: the save is not atomic then, but it is not lost either.
bool WriteInPlace(const std::wstring& path, std::string_view bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) &&
         written == bytes.size() && SetEndOfFile(file.Get()) && FlushFileBuffers(file.Get());
}

// A refusal that may pass: another program holds the file, or the new one (a scanner or an
// indexer opens a new file right after it is closed), or, with a backup name given, the new
// file could not take the old one's name and both kept their own.
bool MayPass(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

bool Move(const std::wstring& from, const std::wstring& to, DWORD flags = 0) {
  return MoveFileExW(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace

bool ReplaceFileBytes(const std::wstring& path, std::string_view bytes,
                      const std::function<void()>& onRetry) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  // A read-only file is the user's "do not write"; a folder is no file to replace.
  if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  // Names of this save's own: two windows saving at once (a log-off reaches both) never take
  // each other's file. The old file goes under the backup name while the new one takes its
  // place, so that whatever step fails, both are where this save knows to find them.
  static std::atomic<std::uint32_t> saves{0};
  const std::uint32_t save = ++saves;
  const std::wstring temporary =
      ServicePath(SaveCompanionPath(path, GetCurrentProcessId(), save, L"new"));
  const std::wstring backup =
      ServicePath(SaveCompanionPath(path, GetCurrentProcessId(), save, L"old"));
  // It has the old one's attributes from the start: whichever way it takes the old one's place,
  // it is never seen without them.
  const DWORD kept = exists ? attributes & kKeptAttributes : 0;
  {
    UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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
  if (!exists) {
    if (Move(temporary, path)) return true;
    DeleteFileW(temporary.c_str());
    return false;
  }
  const DWORD steps = kReplaceRetryMs / kReplaceRetryStepMs;
  for (DWORD step = 0;; ++step) {
    // ReplaceFileW keeps the old file's identity (creation time, ACL, attributes, streams).
    if (ReplaceFileW(path.c_str(), temporary.c_str(), backup.c_str(),
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
      DeleteFileW(backup.c_str());
      return true;
    }
    DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
      // The old file is under the backup name and the new one under its own: no settings file
      // is there. The new one goes in; else the old one goes back; else both stay, found.
      if (Move(temporary, path)) {
        DeleteFileW(backup.c_str());
        return true;
      }
      if (Move(backup, path)) DeleteFileW(temporary.c_str());
      return false;
    }
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      // Gone all the same (another program took it away meanwhile): the new file is the only
      // copy, and it is moved in, never deleted.
      return Move(temporary, path);
    }
    if (!MayPass(error)) {
      // Some file systems cannot replace: a plain move, refused where the old file is held.
      if (Move(temporary, path, MOVEFILE_REPLACE_EXISTING)) return true;
      error = GetLastError();
      if (!MayPass(error)) break;
    }
    if (step >= steps) break;
    if (onRetry) onRetry();
    Sleep(kReplaceRetryStepMs);
  }
  // Still refused: the file is in place, unchanged, and is written over where it lets itself be.
  DeleteFileW(temporary.c_str());
  return WriteInPlace(path, bytes);
}

}  // namespace kestrova
