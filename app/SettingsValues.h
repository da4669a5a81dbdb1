// The program's settings as one value, the one table of its keys in "Kestrova.ini" (each key's
// name, how its value reads and writes, the keys it saves with, whether an edit made outside is
// taken), and the rule for a file that another program changed while the window ran: a key that
// Kestrova did not change since it last read or wrote the file gets the file's value, a key it
// changed keeps Kestrova's. The load, the save, the merge and the outside edits all walk the
// table: a new key is one row. No <windows.h> here: the host build tests the rule directly.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/batch/ArchiveRules.h"

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
  // The list menu's choices, kept in the file only when not the default.
  TJobChoices choices;

  bool operator==(const TSettings&) const = default;
};

// What a settings file says of a key, read as the profile services read it: the fallback where
// the key is missing (an integer's also where its value is malformed).
class TSettingsSource {
 public:
  virtual std::wstring String(const wchar_t* key, std::wstring_view fallback) const = 0;
  virtual int Integer(const wchar_t* key, int fallback) const = 0;

 protected:
  ~TSettingsSource() = default;
};

// One key of the settings file.
struct TSettingsKey {
  // Keys that are saved together: where Kestrova changed any of them, all are the window's.
  enum class Group { Alone, Size };

  const wchar_t* name;
  Group group;
  // Whether the window takes the file's value when another program changed it: never (its place
  // and size), always, or only while it does not run elevated (what decides which program runs
  // and where it writes: the archiver's path, the profiles, the extension; the per-user file
  // is writable at the normal level, and an elevated Kestrova takes no orders from below).
  enum class Outside { Never, Always, NotElevated };
  Outside fromOutside;
  // Sets the key's value in settings from what the file says of it (name: the key's); dpi: the
  // monitor's the window opens on.
  void (*read)(TSettings& settings, const TSettingsSource& file, const wchar_t* name,
               unsigned dpi);
  // The key's text in the file; none: the key is taken out (a choice at its default).
  std::optional<std::wstring> (*text)(const TSettings& settings);
  // Whether the key's value in window differs from the one in baseline.
  bool (*changed)(const TSettings& baseline, const TSettings& window);
  void (*copy)(TSettings& to, const TSettings& from);
};

// Every key, in the order a new file gets them.
std::span<const TSettingsKey> SettingsKeys();

// The settings a file gives: each key that is missing or malformed takes its default; the
// default size is the 96-DPI one scaled to dpi (a size from the file is taken as it stands).
TSettings ReadSettings(const TSettingsSource& file, unsigned dpi);

// Each value is compared with the baseline: the value of the key as Kestrova last read it from
// the file, took it from the file, or wrote it there. A window value that differs from it is a
// change Kestrova made.

// What a save writes: the window's value of each key Kestrova changed, the file's of every other;
// the keys of a group go together (the size and its DPI: a DPI the baseline does not know is no
// change). After the save the window's values are the baseline.
TSettings SavedSettings(const TSettings& baseline, const TSettings& window, const TSettings& file);

// What the window takes from a file changed outside: the file's value of each key taken from
// outside that Kestrova did not change (not the window's place and size, which stay the
// window's own; while elevated, not what decides which program runs); the baseline of each key
// taken becomes the file's value. A save then writes the file's value of every key not taken
// where the window did not change it.
TSettings TakenSettings(TSettings& baseline, const TSettings& window, const TSettings& file,
                        bool elevated = false);

// The settings file's words for the choices ("add", "skip", "rename"; "folder", "children";
// "none", "test", "recycle"); any other word, in any case, or none gives the first.
TExistingArchive ExistingArchiveFrom(std::wstring_view word);
TTarget TargetFrom(std::wstring_view word);
TAfterArchive AfterArchiveFrom(std::wstring_view word);
std::wstring_view WordOf(TExistingArchive choice);
std::wstring_view WordOf(TTarget choice);
std::wstring_view WordOf(TAfterArchive choice);

}  // namespace kestrova
