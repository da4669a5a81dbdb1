// The main window's settings: the window's values as one TSettings and back, and where they are
// kept. The window reaches the file only through this: the load when first shown, the save when
// closed and after a change the user made that must not be lost, and the edits another program
// made meanwhile, taken at activation while no batch runs.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "app/Settings.h"
#include "toolkit/Controls.h"
#include "toolkit/FolderWatch.h"
#include "toolkit/Form.h"
#include "toolkit/OpenDialog.h"

namespace kestrova {

class TMainSettings {
 public:
  // The window and what it shows of the settings: the extension box, the profile selector, the
  // archiver's path and the menu's choices.
  TMainSettings(TForm& window, TEdit& ext, TComboBox& profiles, std::wstring& archiver,
                TJobChoices& choices);

  // Where the settings are read from and saved to.
  TSettingsFile File;

  // Reads the file and puts it into the window: its place (sized once for the monitor the saved
  // place lies on) and its values.
  void Load();
  // Puts settings into the window, its place included.
  void Apply(const TSettings& settings);
  // Puts the values of settings into the window but its place; the profiles in place, the same
  // one selected.
  void ApplyValues(const TSettings& settings);
  void SetProfiles(const std::array<std::wstring, 5>& profiles);
  // The window's values as one TSettings.
  TSettings Current() const;

  // Asks for the archiver in the dialog, starting in WinRAR's usual folder when there is one;
  // false when the user cancelled.
  bool LocateArchiver(TOpenDialog& dialog);
  // The profile dialog; OK puts its texts in place and saves at once.
  void EditProfiles();

  // Whether the program runs elevated: an edit made outside then never changes what decides
  // which program runs (the archiver, the profiles, the extension). Set by the window; tests
  // stand in (Wine has no integrity levels).
  bool Elevated = false;

  // Reads the file off the window's thread now and at each change in its folder, and posts each
  // reading to the window with message (lParam: an owned TSettingsRead).
  void Watch(UINT message);
  // A reading posted by the watch: kept, the last one, until the window is activated.
  void Arrived(std::unique_ptr<TSettingsRead> read);
  const std::optional<TSettingsRead>& LastRead() const { return read_; }
  // What another program changed in the file since the window last read or wrote it, taken in
  // from the last reading: the window's thread never waits for the file here.
  void TakeOutsideEdits();
  // Has the watch read the file once more (a share may not tell every change); returns at once.
  void ReadAgain();

  // Saves the window's values; raises Error::Kind::CannotWrite when the file refuses.
  void Save();
  // Saves now, after a change the user made in the window: a refusal is shown.
  void SaveNow();
  // Saves; when the file refuses, asks whether to end without the settings. False: stay.
  bool SaveOrAskToQuit();

 private:
  TForm& window_;
  TEdit& ext_;
  TComboBox& profiles_;
  std::wstring& archiver_;
  TJobChoices& choices_;
  std::optional<TSettingsRead> read_;
  std::unique_ptr<TFolderWatch> watch_;
  std::wstring watched_;
  UINT message_ = 0;
};

}  // namespace kestrova
