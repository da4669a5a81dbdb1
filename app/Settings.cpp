#include "app/Settings.h"

#include "app/desktop/Explorer.h"
#include "toolkit/Error.h"
#include "toolkit/IniFile.h"
#include "toolkit/PathRules.h"
#include "toolkit/Paths.h"

namespace kestrova {

namespace {

constexpr const wchar_t* kSection = L"Main";
// Whether the file services can reach the path as it stands: a path of MAX_PATH characters or
// more is out of their reach unless the system has long paths switched on.
bool Reachable(const std::wstring& path) { return !path.empty() && path.size() < MAX_PATH; }

bool FileThere(const std::wstring& path) { return Reachable(path) && IsFile(path); }

// The settings file's section as the table's keys read it.
class IniSource final : public TSettingsSource {
 public:
  explicit IniSource(const TIniFile& ini) : ini_(ini) {}
  std::wstring String(const wchar_t* key, std::wstring_view fallback) const override {
    return ini_.ReadString(kSection, key, fallback);
  }
  int Integer(const wchar_t* key, int fallback) const override {
    return ini_.ReadInteger(kSection, key, fallback);
  }

 private:
  const TIniFile& ini_;
};

TSettings ReadSettings(const TIniFile& ini, UINT dpi) { return ReadSettings(IniSource(ini), dpi); }

// Every key, in order; a key with no text (a choice at its default) is taken out, so that an
// untouched file keeps exactly its eleven keys.
void WriteSettings(TIniFile& ini, const TSettings& settings) {
  for (const TSettingsKey& key : SettingsKeys()) {
    if (const std::optional<std::wstring> text = key.text(settings)) {
      ini.WriteString(kSection, key.name, *text);
    } else {
      ini.DeleteKey(kSection, key.name);
    }
  }
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

std::function<TSettingsRead()> TSettingsFile::Reader() {
  return [portable = portable_, perUser = PerUser(), current = current_, dpi = dpi_,
          saves = saves_] {
    TSettingsRead read;
    // Counted before the file is read: a reading that a save overtakes is known for older.
    read.saves = saves->load();
    read.path = FileThere(portable) ? portable : FileThere(perUser) ? perUser : current;
    if (!FileThere(read.path)) {
      read.path.clear();
      return read;
    }
    const TIniFile ini(read.path);
    if (ini.Exists()) read.settings = ReadSettings(ini, dpi);
    return read;
  };
}

std::wstring TSettingsFile::Folder() {
  std::wstring path = current_;
  if (path.empty()) path = Reachable(portable_) ? portable_ : PerUser();
  if (path.empty()) return path;
  return std::wstring(WithoutTrailingSeparators(
      std::wstring_view(path).substr(0, path.size() - FolderName(path).size())));
}

std::optional<TSettings> TSettingsFile::ChangedOutside(const TSettings& window,
                                                       const TSettingsRead& read, bool elevated) {
  if (read.saves != saves_->load() || read.path.empty() || !read.settings) return std::nullopt;
  // The file read is the one in use (or, where there was none, the one that appeared).
  if (!current_.empty() && read.path != current_) return std::nullopt;
  current_ = read.path;
  const TSettings taken = TakenSettings(baseline_, window, *read.settings, elevated);
  if (taken == window) return std::nullopt;
  return taken;
}

void TSettingsFile::SaveTo(const std::wstring& path, const TSettings& window) {
  // Read, merged and written again while another window's (or program's) save comes between:
  // each round is a few milliseconds, so a few rounds are plenty; the last writes whatever.
  constexpr int kRounds = 3;
  for (int round = 1;; ++round) {
    TIniFile ini(path);
    // A file that is not there holds no other program's values.
    const TSettings file = ini.Exists() ? ReadSettings(ini, dpi_) : baseline_;
    const TSettings saved = SavedSettings(baseline_, window, file);
    // A close that changed nothing the file holds writes nothing.
    if (ini.Exists() && saved == file) break;
    WriteSettings(ini, saved);
    if (round == kRounds) {
      ini.Save();
      break;
    }
    if (ini.SaveIfUnchanged()) break;
  }
  baseline_ = window;
  ++*saves_;
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
