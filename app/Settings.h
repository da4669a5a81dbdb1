// The program's settings file "Kestrova.ini" (section "Main"; its keys: SettingsValues.h), where that file is, and how a file changed by
// another program while the window runs is taken in.
#pragma once

#include <optional>
#include <string>

#include "app/SettingsValues.h"
#include "toolkit/Win.h"

namespace kestrova {

// "Kestrova.ini" beside the running executable.
std::wstring SettingsPath();
// "Kestrova.ini" in the user's roaming folder (the known folder RoamingAppData, or %APPDATA%
// where the system cannot say): ...\Kestrova\Kestrova.ini; empty when there is none.
std::wstring UserSettingsPath();
// Where the settings are kept, and what Kestrova last read from or wrote to them. The file beside
// the executable comes first (the portable way); where there is none, the per-user file; where
// neither exists, the defaults. A save goes to the file that was read; with none, beside the
// executable, and to the per-user file (its folder made) when that folder refuses a new file. A
// place the file services cannot reach (a path of MAX_PATH characters or more) is passed over,
// and so is the place beside an executable in the temporary folder. The per-user place is looked
// up only when needed.
//
// Each call reads the file afresh (it is small). How the window uses it:
//   FormShow        ApplySettings(SettingsFile.Load(Dpi()));
//   activated while no batch runs (WM_ACTIVATE with WA_ACTIVE or WA_CLICKACTIVE)
//                   if (auto s = SettingsFile.ChangedOutside(CurrentSettings())): put every one
//                   of s's values (ApplyValues: every key taken from outside, the selected
//                   profile kept) into the window. They count as read from the file from then
//                   on. s's bounds are the window's own; nothing to apply there.
//   FormClose, and at once after the user changed a setting in the window that must not be lost
//   (the profile dialog's OK, the archiver located)
//                   SettingsFile.Save(CurrentSettings()); it raises Error::Kind::CannotWrite when
//                   the file or its folder refuses.
class TSettingsFile {
 public:
  TSettingsFile();
  TSettingsFile(std::wstring portable, std::wstring perUser);

  // The file's values, each key that is missing or malformed taking its default; the default
  // size is the 96-DPI one scaled to dpi (a size from the file is taken as it stands). They are
  // the baseline of every key.
  TSettings Load(UINT dpi);

  // When the file holds values other than those the window last took from it or wrote (another
  // program changed it): the window's settings with the file's value in each key the window did
  // not change since (TakenSettings: not its bounds), and those keys' baseline becomes the
  // file's. Nothing when there is nothing to take: the file unchanged, gone or unreadable (a
  // file that is gone is made again by the next save, from the window's values). A file that
  // appeared where there was none is the one read and saved from then on.
  std::optional<TSettings> ChangedOutside(const TSettings& window);

  // Writes every key (SavedSettings: the window's value of each key it changed, the file's as it
  // is now of every other; a choice at its default is taken out of the file) and replaces the
  // file in one step, its other sections, keys and comments kept (TIniFile). A refused write
  // raises Error::Kind::CannotWrite naming the file that refused (the one beside the executable
  // when both places did), and the file is then as it was.
  void Save(const TSettings& window);

  // The file read or written last; empty while there is none.
  const std::wstring& Path() const { return current_; }

 private:
  const std::wstring& PerUser();
  // The file a load reads now: beside the executable, or the user's; empty when neither is there.
  std::wstring ExistingFile();
  void SaveTo(const std::wstring& path, const TSettings& window);

  std::wstring portable_;
  std::optional<std::wstring> perUser_;
  std::wstring current_;
  TSettings baseline_;
  UINT dpi_ = 96;
};

}  // namespace kestrova
