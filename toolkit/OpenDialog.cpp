#include "toolkit/OpenDialog.h"

#include <commdlg.h>

#include <vector>

#include "toolkit/SystemCalls.h"

namespace kestrova {

bool TOpenDialog::Execute(HWND owner) {
  // "name\0pattern\0\0"
  std::wstring filter = FilterName;
  filter.push_back(L'\0');
  filter += FilterPattern;
  filter.push_back(L'\0');

  // Room for the longest path the platform knows.
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
  ofn.lpstrTitle = Title.c_str();
  ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_PATHMUSTEXIST |
              OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
  // comdlg32 is loaded when the question is first asked, not at every start.
  const auto getOpenFileName = sys::Comdlg32().GetOpenFileNameW;
  if (getOpenFileName == nullptr || !getOpenFileName(&ofn)) return false;
  FileName = file.data();
  return true;
}

}  // namespace kestrova
