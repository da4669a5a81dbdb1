#include "toolkit/SaveDialog.h"

#include <shobjidl.h>

#include "toolkit/Handles.h"
#include "toolkit/System.h"
#include "toolkit/SystemCalls.h"

namespace kestrova {

bool TSaveDialog::Execute(HWND owner) {
  // ole32 and shell32 are loaded when the question is first asked, not at every start.
  const auto create = sys::Ole32().CoCreateInstance;
  const auto freeMemory = sys::Ole32().CoTaskMemFree;
  const auto itemOf = sys::Shell32().SHCreateItemFromParsingName;
  if (!UseCom() || create == nullptr || freeMemory == nullptr || Types.empty()) return false;
  ComPtr<IFileSaveDialog> dialog;
  if (FAILED(create(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                    __uuidof(IFileSaveDialog), dialog.Receive()))) {
    return false;
  }
  const int type = TypeIndex >= 0 && TypeIndex < static_cast<int>(Types.size()) ? TypeIndex : 0;
  std::vector<std::wstring> patterns;
  std::vector<COMDLG_FILTERSPEC> specs;
  patterns.reserve(Types.size());
  for (const FileType& fileType : Types) patterns.push_back(L"*." + fileType.extension);
  for (std::size_t i = 0; i < Types.size(); ++i) {
    specs.push_back(COMDLG_FILTERSPEC{Types[i].name.c_str(), patterns[i].c_str()});
  }
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  // A file of the file system, in a folder that is there, that may be written; the process's
  // current folder stays where it was.
  dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST |
                     FOS_NOREADONLYRETURN | FOS_NOCHANGEDIR);
  dialog->SetTitle(Title.c_str());
  dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
  dialog->SetFileTypeIndex(static_cast<UINT>(type + 1));
  // Set before showing: the dialog then follows the type chosen with the name's extension.
  dialog->SetDefaultExtension(Types[static_cast<std::size_t>(type)].extension.c_str());
  if (!FileName.empty()) dialog->SetFileName(FileName.c_str());
  if (!InitialDir.empty() && itemOf != nullptr) {
    ComPtr<IShellItem> folder;
    if (SUCCEEDED(itemOf(InitialDir.c_str(), nullptr, __uuidof(IShellItem),
                         folder.Receive()))) {
      dialog->SetFolder(folder.Get());
    }
  }
  // Cancelled: HRESULT_FROM_WIN32(ERROR_CANCELLED).
  if (FAILED(dialog->Show(owner))) return false;
  ComPtr<IShellItem> chosen;
  if (FAILED(dialog->GetResult(reinterpret_cast<IShellItem**>(chosen.Receive())))) return false;
  PWSTR path = nullptr;
  if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr) return false;
  FileName = path;
  freeMemory(path);
  UINT chosenType = 0;
  if (SUCCEEDED(dialog->GetFileTypeIndex(&chosenType)) && chosenType >= 1 &&
      chosenType <= Types.size()) {
    TypeIndex = static_cast<int>(chosenType) - 1;
  }
  return true;
}

}  // namespace kestrova
