// The Recycle Bin through the shell's own operations.
#include "app/batch/Recycle.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "toolkit/Handles.h"
#include "toolkit/PathRules.h"
#include "toolkit/Paths.h"
#include "toolkit/SystemCalls.h"

namespace kestrova {

namespace {

// Follows the shell's operation: refuses, before it happens, any delete that would not recycle,
// and cancels what is left after one that did not all the same.
class RecycleOnly final : public IFileOperationProgressSink {
 public:
  bool Refused() const { return refused_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IFileOperationProgressSink))) {
      *object = static_cast<IFileOperationProgressSink*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // It lives on the stack of the operation, which ends (and lets it go) before it does.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD flags, IShellItem*) override {
    if ((flags & TSF_DELETE_RECYCLE_IF_POSSIBLE) != 0) return S_OK;
    refused_ = true;
    return HRESULT_FROM_WIN32(ERROR_CANCELLED);
  }
  HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT deleted,
                                           IShellItem* inBin) override {
    // Deleted, and not in the bin: nothing more may happen.
    if (SUCCEEDED(deleted) && inBin == nullptr) {
      refused_ = true;
      return HRESULT_FROM_WIN32(ERROR_CANCELLED);
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                         IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                         IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT,
                                        IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }

 private:
  bool refused_ = false;
};

// COM for the shell's operation on this thread, for as long as it lasts.
class ComScope {
 public:
  ComScope() {
    if (const auto initialize = sys::Ole32().CoInitializeEx) {
      started_ = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
  }
  ~ComScope() {
    if (started_) sys::Ole32().CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool started_ = false;
};

bool IsGone(const std::wstring& path) {
  if (GetFileAttributesW(ServicePath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The root of the volume that holds the path ("C:\", a mounted folder, "\\server\share\").
std::wstring VolumeRoot(const std::wstring& path) {
  wchar_t root[MAX_PATH + 1] = {};
  if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH)) return {};
  return root;
}

// What the per-user settings of a volume's bin say: whether it keeps nothing, and its size in
// bytes (0: not set here). They are where Explorer's bin properties write them.
struct BinSettings {
  bool keepsNothing = false;
  unsigned long long capacity = 0;
};

BinSettings BinSettingsOf(const std::wstring& root) {
  BinSettings settings;
  const auto get = sys::Advapi32().RegGetValueW;
  wchar_t volume[64] = {};
  if (get == nullptr || !GetVolumeNameForVolumeMountPointW(root.c_str(), volume, 64)) {
    return settings;
  }
  // "\\?\Volume{GUID}\": the key is named after the GUID.
  std::wstring id(volume);
  const std::size_t open = id.find(L'{');
  const std::size_t close = id.find(L'}');
  if (open == std::wstring::npos || close == std::wstring::npos || close < open) return settings;
  const std::wstring key =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume\\" +
      id.substr(open, close - open + 1);
  DWORD value = 0;
  DWORD size = sizeof value;
  if (get(HKEY_CURRENT_USER, key.c_str(), L"NukeOnDelete", RRF_RT_REG_DWORD, nullptr, &value,
          &size) == ERROR_SUCCESS) {
    settings.keepsNothing = value != 0;
  }
  size = sizeof value;
  if (get(HKEY_CURRENT_USER, key.c_str(), L"MaxCapacity", RRF_RT_REG_DWORD, nullptr, &value,
          &size) == ERROR_SUCCESS) {
    settings.capacity = static_cast<unsigned long long>(value) * 1024 * 1024;
  }
  return settings;
}

// The size of the files in a folder and every folder inside it (links not followed); false
// when some of it cannot be read.
bool FolderSize(const std::wstring& folder, unsigned long long& size) {
  WIN32_FIND_DATAW entry{};
  const HANDLE find = FindFirstFileExW(ExtendedLengthPath(folder + L"\\*").c_str(),
                                       FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  bool read = true;
  do {
    const std::wstring_view name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      read = FolderSize(folder + L"\\" + entry.cFileName, size) && read;
    } else {
      size += (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    }
  } while (read && FindNextFileW(find, &entry));
  FindClose(find);
  return read;
}

// The older operation, which has no sink: what its shell would delete for good is told apart
// beforehand, from the bin's settings, and its warning stays on as the last guard.
TRecycled ByShFileOperation(const std::wstring& folder, const std::wstring& root) {
  TRecycled recycled;
  recycled.byShFileOperation = true;
  const auto operate = sys::Shell32().SHFileOperationW;
  if (operate == nullptr) {
    recycled.kept = TKeep::Failed;
    recycled.error = E_NOTIMPL;
    return recycled;
  }
  const BinSettings bin = BinSettingsOf(root);
  if (bin.keepsNothing) {
    recycled.kept = TKeep::NoBin;
    return recycled;
  }
  if (bin.capacity != 0) {
    unsigned long long size = 0;
    if (!FolderSize(folder, size) || size > bin.capacity) {
      recycled.kept = TKeep::WouldDestroy;
      return recycled;
    }
  }
  // Two zeros end the list of paths.
  std::wstring from = folder;
  from += L'\0';
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NO_UI | FOF_WANTNUKEWARNING;
  const int answer = operate(&operation);
  if (answer != 0 || operation.fAnyOperationsAborted) {
    recycled.kept = TKeep::Failed;
    // Its answers are partly error codes of its own: they are shown, not interpreted.
    recycled.error = answer != 0 ? HRESULT_FROM_WIN32(static_cast<DWORD>(answer))
                                 : HRESULT_FROM_WIN32(ERROR_CANCELLED);
  }
  return recycled;
}

}  // namespace

TRecycled RecycleFolder(const std::wstring& given) {
  TRecycled recycled;
  const std::wstring folder = PlainPath(given);
  // The shell's operations take paths shorter than MAX_PATH, without "\\?\".
  if (folder.size() >= MAX_PATH) {
    recycled.kept = TKeep::TooLong;
    return recycled;
  }
  const std::wstring root = VolumeRoot(folder);
  SHQUERYRBINFO binInfo{};
  binInfo.cbSize = sizeof binInfo;
  const auto queryBin = sys::Shell32().SHQueryRecycleBinW;
  if (root.empty() || GetDriveTypeW(root.c_str()) != DRIVE_FIXED || queryBin == nullptr ||
      FAILED(queryBin(root.c_str(), &binInfo))) {
    recycled.kept = TKeep::NoBin;
    return recycled;
  }

  const ComScope com;
  const auto create = sys::Ole32().CoCreateInstance;
  const auto itemFrom = sys::Shell32().SHCreateItemFromParsingName;
  ComPtr<IFileOperation> operation;
  HRESULT result = create != nullptr ? create(CLSID_FileOperation, nullptr, CLSCTX_ALL,
                                              __uuidof(IFileOperation), operation.Receive())
                                     : E_NOTIMPL;
  // Where FOFX_RECYCLEONDELETE is unknown (Windows 7), FOF_ALLOWUNDO alone asks for the bin.
  constexpr DWORD kFlags = FOF_NO_UI | FOFX_EARLYFAILURE | FOF_ALLOWUNDO;
  if (SUCCEEDED(result)) {
    result = operation->SetOperationFlags(kFlags | FOFX_RECYCLEONDELETE);
    if (result == E_INVALIDARG) result = operation->SetOperationFlags(kFlags);
  }
  if (result == E_NOTIMPL || result == REGDB_E_CLASSNOTREG) {
    operation.Reset();
    recycled = ByShFileOperation(folder, root);
  } else {
    ComPtr<IShellItem> item;
    RecycleOnly sink;
    DWORD cookie = 0;
    bool advised = false;
    if (SUCCEEDED(result)) {
      result = itemFrom != nullptr ? itemFrom(folder.c_str(), nullptr, __uuidof(IShellItem),
                                              item.Receive())
                                   : E_NOTIMPL;
    }
    if (SUCCEEDED(result)) {
      result = operation->Advise(&sink, &cookie);
      advised = SUCCEEDED(result);
    }
    if (SUCCEEDED(result)) result = operation->DeleteItem(item.Get(), nullptr);
    if (SUCCEEDED(result)) result = operation->PerformOperations();
    BOOL aborted = FALSE;
    if (SUCCEEDED(result) && SUCCEEDED(operation->GetAnyOperationsAborted(&aborted)) && aborted) {
      result = HRESULT_FROM_WIN32(ERROR_CANCELLED);
    }
    if (advised) operation->Unadvise(cookie);
    operation.Reset();
    if (sink.Refused()) {
      recycled.kept = TKeep::WouldDestroy;
    } else if (FAILED(result)) {
      recycled.kept = TKeep::Failed;
      recycled.error = result;
    }
  }
  if (recycled.kept == TKeep::Go && !IsGone(folder)) recycled.kept = TKeep::StillThere;
  return recycled;
}

std::wstring FinalPath(const std::wstring& path) {
  const UniqueHandle handle(CreateFileW(ServicePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
  if (!handle) return {};
  std::wstring final(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFinalPathNameByHandleW(handle.Get(), final.data(), static_cast<DWORD>(final.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return {};
    if (length < final.size()) {
      final.resize(length);
      return final;
    }
    final.resize(length);
  }
}

std::vector<TKeptPlace> KeptPlaces(const std::vector<std::wstring>& ownFiles) {
  std::vector<TKeptPlace> places;
  for (const std::wstring& file : ownFiles) {
    std::wstring final = FinalPath(file);
    if (!final.empty()) places.push_back({std::move(final), TKeep::OwnFolder});
  }
  const auto known = sys::Shell32().SHGetKnownFolderPath;
  const auto free = sys::Ole32().CoTaskMemFree;
  if (known == nullptr || free == nullptr) return places;
  auto add = [&](REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    if (SUCCEEDED(known(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path != nullptr) {
      std::wstring final = FinalPath(path);
      if (!final.empty()) places.push_back({std::move(final), TKeep::KnownFolder});
    }
    free(path);
  };
  for (REFKNOWNFOLDERID id :
       {FOLDERID_Desktop, FOLDERID_Documents, FOLDERID_Downloads, FOLDERID_Profile,
        FOLDERID_UserProfiles, FOLDERID_Public, FOLDERID_Windows, FOLDERID_System,
        FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86, FOLDERID_ProgramData,
        FOLDERID_RoamingAppData, FOLDERID_LocalAppData, FOLDERID_Pictures, FOLDERID_Music,
        FOLDERID_Videos}) {
    add(id);
  }
  // Every other known folder the system has.
  const ComScope com;
  const auto create = sys::Ole32().CoCreateInstance;
  ComPtr<IKnownFolderManager> manager;
  KNOWNFOLDERID* ids = nullptr;
  UINT count = 0;
  if (create != nullptr &&
      SUCCEEDED(create(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER,
                       __uuidof(IKnownFolderManager), manager.Receive())) &&
      SUCCEEDED(manager->GetFolderIds(&ids, &count)) && ids != nullptr) {
    for (UINT i = 0; i < count; ++i) add(ids[i]);
  }
  free(ids);
  return places;
}

}  // namespace kestrova
