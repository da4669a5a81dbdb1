#include "app/Settings.h"

#include "app/ItemKind.h"
#include "app/JobText.h"
#include "toolkit/Error.h"
#include "toolkit/IniFile.h"
#include "toolkit/Layout.h"

namespace kestrova {

namespace {

constexpr const wchar_t* kSection = L"Main";
// Whether the profile services can reach the path at all: they take no path of MAX_PATH
// characters or more, not even in the \\?\ form.
bool Reachable(const std::wstring& path) { return !path.empty() && path.size() < MAX_PATH; }

bool FileThere(const std::wstring& path) { return Reachable(path) && IsFile(path); }

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
  settings.existingArchive = ExistingArchiveFrom(ini.ReadString(kSection, L"ExistingArchive", L""));
  settings.target = TargetFrom(ini.ReadString(kSection, L"Target", L""));
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
  // An untouched file keeps exactly its eleven keys.
  auto choice = [&ini](const wchar_t* key, std::wstring_view word, bool isDefault) {
    if (isDefault) {
      ini.DeleteKey(kSection, key);
    } else {
      ini.WriteString(kSection, key, word);
    }
  };
  choice(L"ExistingArchive", WordOf(existingArchive), existingArchive == TExistingArchive::Add);
  choice(L"Target", WordOf(target), target == TTarget::Folder);
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

std::wstring UserSettingsPath() {
  std::wstring folder(MAX_PATH, L'\0');
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", folder.data(), MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  folder.resize(length);
  return folder + L"\\Kestrova\\Kestrova.ini";
}

TSettingsFile::TSettingsFile() : TSettingsFile(SettingsPath(), UserSettingsPath()) {}

TSettingsFile::TSettingsFile(std::wstring portable, std::wstring perUser)
    : portable_(std::move(portable)), perUser_(std::move(perUser)) {}

TSettings TSettingsFile::Load(UINT dpi) {
  current_.clear();
  if (FileThere(portable_)) {
    current_ = portable_;
  } else if (FileThere(perUser_)) {
    current_ = perUser_;
  }
  // A missing file reads as all defaults.
  return TSettings::Read(current_.empty() ? portable_ : current_, dpi);
}

void TSettingsFile::Save(const TSettings& settings) {
  if (!current_.empty()) {
    settings.Save(current_);
    return;
  }
  if (Reachable(portable_)) {
    try {
      settings.Save(portable_);
      current_ = portable_;
      return;
    } catch (const Error& e) {
      if (e.GetKind() != Error::Kind::CannotWrite || !Reachable(perUser_)) throw;
    }
  }
  if (!Reachable(perUser_)) throw Error(Error::Kind::CannotWrite, portable_);
  // The folder beside the executable refused a new file: the user's own folder takes it.
  const std::wstring folder = perUser_.substr(0, perUser_.size() - FolderName(perUser_).size() - 1);
  CreateDirectoryW(folder.c_str(), nullptr);
  try {
    settings.Save(perUser_);
  } catch (const Error&) {
    throw Error(Error::Kind::CannotWrite, portable_);
  }
  current_ = perUser_;
}

}  // namespace kestrova
