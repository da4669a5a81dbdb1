#include "app/Settings.h"

#include "app/Program.h"
#include "app/batch/Files.h"
#include "app/batch/ArchiveRules.h"
#include "app/desktop/Explorer.h"
#include "app/desktop/PlacementRule.h"
#include "toolkit/Error.h"
#include "toolkit/IniFile.h"
#include "toolkit/Layout.h"

namespace kestrova {

namespace {

constexpr const wchar_t* kSection = L"Main";
// Whether the file services can reach the path as it stands: a path of MAX_PATH characters or
// more is out of their reach unless the system has long paths switched on.
bool Reachable(const std::wstring& path) { return !path.empty() && path.size() < MAX_PATH; }

bool FileThere(const std::wstring& path) { return Reachable(path) && IsFile(path); }

constexpr const wchar_t* kProfileKeys[] = {L"WinRARCommandLine", L"WinRARCommandLine2",
                                           L"WinRARCommandLine3", L"WinRARCommandLine4",
                                           L"WinRARCommandLine5"};

// The file's values, each key that is missing or malformed taking its default.
TSettings ReadSettings(const TIniFile& ini, UINT dpi) {
  TSettings settings;
  settings.left = ini.ReadInteger(kSection, L"MainX", settings.left);
  settings.top = ini.ReadInteger(kSection, L"MainY", settings.top);
  settings.dpi = ini.ReadInteger(kSection, L"MainDPI", 0);
  const UINT sizeDpi = IsPlausibleDpi(settings.dpi) ? static_cast<UINT>(settings.dpi) : dpi;
  settings.width = ini.ReadInteger(kSection, L"MainW", ScaleForDpi(settings.width, sizeDpi));
  settings.height = ini.ReadInteger(kSection, L"MainH", ScaleForDpi(settings.height, sizeDpi));
  settings.fileExt = ini.ReadString(kSection, L"FileExt", settings.fileExt);
  settings.winRARPath = ini.ReadString(kSection, L"WinRARPath", L"");
  for (std::size_t i = 0; i < settings.profiles.size(); ++i) {
    settings.profiles[i] = ini.ReadString(kSection, kProfileKeys[i], settings.profiles[i]);
  }
  settings.existingArchive = ExistingArchiveFrom(ini.ReadString(kSection, L"ExistingArchive", L""));
  settings.target = TargetFrom(ini.ReadString(kSection, L"Target", L""));
  return settings;
}

// Every key, in order; a choice at its default is taken out, so that an untouched file keeps
// exactly its eleven keys.
void WriteSettings(TIniFile& ini, const TSettings& settings) {
  ini.WriteInteger(kSection, L"MainX", settings.left);
  ini.WriteInteger(kSection, L"MainY", settings.top);
  ini.WriteInteger(kSection, L"MainW", settings.width);
  ini.WriteInteger(kSection, L"MainH", settings.height);
  ini.WriteString(kSection, L"FileExt", settings.fileExt);
  ini.WriteString(kSection, L"WinRARPath", settings.winRARPath);
  for (std::size_t i = 0; i < settings.profiles.size(); ++i) {
    ini.WriteString(kSection, kProfileKeys[i], settings.profiles[i]);
  }
  auto choice = [&ini](const wchar_t* key, std::wstring_view word, bool isDefault) {
    if (isDefault) {
      ini.DeleteKey(kSection, key);
    } else {
      ini.WriteString(kSection, key, word);
    }
  };
  // A size at 96 DPI (and one whose DPI is not known) needs no word of its DPI.
  if (settings.dpi != 96 && IsPlausibleDpi(settings.dpi)) {
    ini.WriteInteger(kSection, L"MainDPI", settings.dpi);
  } else {
    ini.DeleteKey(kSection, L"MainDPI");
  }
  choice(L"ExistingArchive", WordOf(settings.existingArchive),
         settings.existingArchive == TExistingArchive::Add);
  choice(L"Target", WordOf(settings.target), settings.target == TTarget::Folder);
}

}  // namespace

std::wstring SettingsPath() {
  std::wstring path = ProgramPath();
  if (path.empty()) return L"Kestrova.ini";
  // Up to and including the last separator.
  path.resize(path.size() - FolderName(path).size());
  return path + L"Kestrova.ini";
}

std::wstring UserSettingsPath() {
  std::wstring folder = KnownFolderPath(FOLDERID_RoamingAppData);
  if (folder.empty()) {
    // The variable is what the system set up for the user, where it cannot be asked.
    folder.resize(MAX_PATH);
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", folder.data(), MAX_PATH);
    folder.resize(length < MAX_PATH ? length : 0);
  }
  return folder.empty() ? folder : folder + L"\\Kestrova\\Kestrova.ini";
}

bool InTemporaryFolder(const std::wstring& path) {
  // Both in their long forms: the temporary folder often comes in its short one
  // ("C:\Users\ABCDEF~1\AppData\Local\Temp\").
  auto longForm = [](const std::wstring& given) {
    std::wstring form(given.size() + MAX_PATH, L'\0');
    const DWORD length = GetLongPathNameW(given.c_str(), form.data(), static_cast<DWORD>(form.size()));
    if (length == 0 || length >= form.size()) return given;
    form.resize(length);
    return form;
  };
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return false;
  std::wstring folder = longForm(std::wstring(temp, length));
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  const std::wstring full = longForm(path);
  return full.size() > folder.size() &&
         CompareStringOrdinal(full.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                              static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

TSettingsFile::TSettingsFile() : portable_(SettingsPath()) {
  // A program run from a ZIP is a copy in the temporary folder: its settings are the user's.
  if (InTemporaryFolder(portable_)) portable_.clear();
}

TSettingsFile::TSettingsFile(std::wstring portable, std::wstring perUser)
    : portable_(std::move(portable)), perUser_(std::move(perUser)) {}

const std::wstring& TSettingsFile::PerUser() {
  if (!perUser_) perUser_ = UserSettingsPath();
  return *perUser_;
}

std::wstring TSettingsFile::ExistingFile() {
  if (FileThere(portable_)) return portable_;
  if (FileThere(PerUser())) return PerUser();
  return {};
}

TSettings TSettingsFile::Load(UINT dpi) {
  dpi_ = dpi;
  current_ = ExistingFile();
  // A missing file reads as all defaults.
  baseline_ = ReadSettings(TIniFile(current_), dpi);
  return baseline_;
}

std::optional<TSettings> TSettingsFile::ChangedOutside(const TSettings& window) {
  const std::wstring path = current_.empty() ? ExistingFile() : current_;
  if (!FileThere(path)) return std::nullopt;
  const TIniFile ini(path);
  if (!ini.Exists()) return std::nullopt;
  current_ = path;
  const TSettings taken = TakenSettings(baseline_, window, ReadSettings(ini, dpi_));
  if (taken == window) return std::nullopt;
  return taken;
}

void TSettingsFile::SaveTo(const std::wstring& path, const TSettings& window) {
  TIniFile ini(path);
  // A file that is not there holds no other program's values.
  const TSettings file = ini.Exists() ? ReadSettings(ini, dpi_) : baseline_;
  WriteSettings(ini, SavedSettings(baseline_, window, file));
  ini.Save();
  baseline_ = window;
}

void TSettingsFile::Save(const TSettings& window) {
  if (!current_.empty()) {
    SaveTo(current_, window);
    return;
  }
  if (Reachable(portable_)) {
    try {
      SaveTo(portable_, window);
      current_ = portable_;
      return;
    } catch (const Error& e) {
      if (e.GetKind() != Error::Kind::CannotWrite || !Reachable(PerUser())) throw;
    }
  }
  const std::wstring& perUser = PerUser();
  // A refusal names the file beside the executable, where the user looks first.
  const std::wstring& named = portable_.empty() ? perUser : portable_;
  if (!Reachable(perUser)) throw Error(Error::Kind::CannotWrite, named);
  // The folder beside the executable refused a new file (or is no place to keep one): the
  // user's own folder takes it.
  const std::wstring folder = perUser.substr(0, perUser.size() - FolderName(perUser).size() - 1);
  CreateDirectoryW(folder.c_str(), nullptr);
  try {
    SaveTo(perUser, window);
  } catch (const Error&) {
    throw Error(Error::Kind::CannotWrite, named);
  }
  current_ = perUser;
}

}  // namespace kestrova
