// The program's settings file "Kestrova.ini" (section "Main"; its keys: SettingsValues.h), where that file is, and how a file changed by
// another program while the window runs is taken in.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
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
// What a reading of the settings file found, made off the window's thread (TSettingsFile::Reader).
struct TSettingsRead {
  std::wstring path;                  // the file a load would read now; empty: none is there
  std::optional<TSettings> settings;  // its values; nothing where it could not be read
  unsigned saves = 0;                 // the saves the window had finished when it was read
};

// Where the settings are kept, and what Kestrova last read from or wrote to them. The file beside
// the executable comes first (the portable way); where there is none, the per-user file; where
// neither exists, the defaults. A save goes to the file that was read; with none, beside the
// executable, and to the per-user file (its folder made) when that folder refuses a new file. A
// place the file services cannot reach (a path of MAX_PATH characters or more) is passed over,
// and so is the place beside an executable in the temporary folder. The per-user place is looked
// up only when needed.
//
// How the window uses it (TMainSettings):
//   FormShow        ApplySettings(SettingsFile.Load(Dpi())); then the file's folder is watched
//                   (Folder), and at each change Reader() reads the file off the window's thread
//                   and the reading is posted to the window, which keeps the last one.
//   activated while no batch runs (WM_ACTIVATE with WA_ACTIVE or WA_CLICKACTIVE)
//                   if (auto s = SettingsFile.ChangedOutside(CurrentSettings(), lastRead, elevated)):
//                   put every one of s's values (ApplyValues: every key taken from outside, the
//                   selected profile kept) into the window. They count as read from the file
//                   from then on. s's bounds are the window's own; nothing to apply there. The
//                   window's thread never reads the file for it (a share that sleeps would hold it).
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

  // How another thread reads the file a load would read now, with the number of saves finished
  // before it (the places are copied: the reader may outlive this object).
  std::function<TSettingsRead()> Reader();
  // The folder whose changes may be edits of the file: the file's own, or where a save would put
  // it; empty where there is none.
  std::wstring Folder();

  // When a reading found values other than those the window last took from the file or wrote
  // (another program changed it): the window's settings with the file's value in each key the
  // window did not change since (TakenSettings: not its bounds; while elevated, not what decides
  // which program runs), and those keys' baseline becomes the file's. Nothing when there is
  // nothing to take: the file unchanged, gone or unreadable (a file that is gone is made again by
  // the next save, from the window's values), or the reading older than the window's last save.
  // A file that appeared where there was none is the one read and saved from then on.
  std::optional<TSettings> ChangedOutside(const TSettings& window, const TSettingsRead& read,
                                          bool elevated);

  // Writes every key (SavedSettings: the window's value of each key it changed, the file's as it
  // is now of every other; a choice at its default is taken out of the file) and replaces the
  // file in one step, its other sections, keys and comments kept (TIniFile); where the file holds
  // those values already, nothing is written. A file that another window or program saved
  // between the read and the replacement is read and merged again, so that the keys this window
  // did not change keep its values. A refused write raises Error::Kind::CannotWrite naming the
  // file that refused (the one beside the executable when both places did), and the file is
  // then as it was.
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
  // The saves finished so far, shared with the readers: a reading made before the last save is
  // no edit of anyone else's.
  std::shared_ptr<std::atomic<unsigned>> saves_ = std::make_shared<std::atomic<unsigned>>(0);
};

}  // namespace kestrova
