// The program's settings as the file "Kestrova.ini" holds them (section "Main", eleven keys,
// read as one value and saved as one value), and where that file is.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "app/batch/ArchiveRules.h"
#include "toolkit/Win.h"

namespace kestrova {

struct TSettings {
  // The window's outer bounds in screen pixels; the size in pixels of the monitor it was on.
  int left = 300;
  int top = 300;
  int width = 288;
  int height = 300;
  // That monitor's DPI ("MainDPI", kept after the eleven keys when it is not 96); 0 when the
  // file does not say, as none written before it was kept does: the size is then taken as
  // measured on the monitor the window opens on, where every such file was written.
  int dpi = 0;
  std::wstring fileExt = L".rar";
  std::wstring winRARPath;
  std::array<std::wstring, 5> profiles{L"a -r -ep1 -m0 -rr3p", L"a -r -ep1 -m5 -rr3p", L"", L"",
                                       L""};
  // Kept in the file only when not the default, after the eleven keys.
  TExistingArchive existingArchive = TExistingArchive::Add;
  TTarget target = TTarget::Folder;

  // The file's values, each key that is missing or malformed taking its default. The default
  // size is the 96-DPI one scaled to the DPI the file gives, or else to dpi (the window's).
  static TSettings Read(const std::wstring& file, UINT dpi);
  // Writes every key, in order (a choice at its default is taken out of the file); a refused
  // write raises Error::Kind::CannotWrite.
  void Save(const std::wstring& file) const;
};

// "Kestrova.ini" beside the running executable.
std::wstring SettingsPath();
// "Kestrova.ini" in the user's roaming folder (the known folder RoamingAppData, or %APPDATA%
// where the system cannot say): ...\Kestrova\Kestrova.ini; empty when there is none.
std::wstring UserSettingsPath();
// Whether the path lies in the user's temporary folder (where Explorer runs a program straight
// from a ZIP: whatever is written there is soon gone).
bool InTemporaryFolder(const std::wstring& path);

// Where the settings are kept. The file beside the executable comes first (the portable way);
// where there is none, the per-user file; where neither exists, the defaults. A save goes to
// the file that was read; with none, beside the executable, and to the per-user file (its folder
// made) when that folder refuses a new file. A place the profile services cannot reach (a path
// of MAX_PATH characters or more) is passed over, and so is the place beside an executable in
// the temporary folder. The per-user place is looked up only when needed.
class TSettingsFile {
 public:
  TSettingsFile();
  TSettingsFile(std::wstring portable, std::wstring perUser);

  TSettings Load(UINT dpi);
  // A refused write raises Error::Kind::CannotWrite naming the file that refused (the one beside
  // the executable when both places did).
  void Save(const TSettings& settings);
  // The file read or written last; empty while there is none.
  const std::wstring& Path() const { return current_; }

 private:
  const std::wstring& PerUser();

  std::wstring portable_;
  std::optional<std::wstring> perUser_;
  std::wstring current_;
};

}  // namespace kestrova
