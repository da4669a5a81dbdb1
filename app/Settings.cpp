#include "app/Settings.h"

#include "app/JobText.h"
#include "toolkit/IniFile.h"
#include "toolkit/Layout.h"

namespace kestrova {

namespace {

constexpr const wchar_t* kSection = L"Main";
constexpr const wchar_t* kProfileKeys[] = {L"WinRARCommandLine", L"WinRARCommandLine2",
                                           L"WinRARCommandLine3", L"WinRARCommandLine4",
                                           L"WinRARCommandLine5"};

}  // namespace

TSettings TSettings::Read(const std::wstring& file, UINT dpi) {
  const TIniFile ini(file);
  TSettings settings;
  settings.left = ini.ReadInteger(kSection, L"MainX", settings.left);
  settings.top = ini.ReadInteger(kSection, L"MainY", settings.top);
  settings.width = ini.ReadInteger(kSection, L"MainW", ScaleForDpi(settings.width, dpi));
  settings.height = ini.ReadInteger(kSection, L"MainH", ScaleForDpi(settings.height, dpi));
  settings.fileExt = ini.ReadString(kSection, L"FileExt", settings.fileExt);
  settings.winRARPath = ini.ReadString(kSection, L"WinRARPath", L"");
  for (std::size_t i = 0; i < settings.profiles.size(); ++i) {
    settings.profiles[i] = ini.ReadString(kSection, kProfileKeys[i], settings.profiles[i]);
  }
  return settings;
}

void TSettings::Save(const std::wstring& file) const {
  TIniFile ini(file);
  ini.WriteInteger(kSection, L"MainX", left);
  ini.WriteInteger(kSection, L"MainY", top);
  ini.WriteInteger(kSection, L"MainW", width);
  ini.WriteInteger(kSection, L"MainH", height);
  ini.WriteString(kSection, L"FileExt", fileExt);
  ini.WriteString(kSection, L"WinRARPath", winRARPath);
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    ini.WriteString(kSection, kProfileKeys[i], profiles[i]);
  }
}

std::wstring SettingsPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L"Kestrova.ini";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  // Up to and including the last separator.
  path.resize(path.size() - FolderName(path).size());
  return path + L"Kestrova.ini";
}

}  // namespace kestrova
