// Which value each settings key gets when another program changed the file while the window ran.
#include <gtest/gtest.h>

#include <map>

#include "app/SettingsValues.h"

namespace kestrova {
namespace {

// One key of the settings, set to its value number n (0 and 1 for the two-valued choice).
using SetKey = void (*)(TSettings&, int n);
void Profile3(TSettings& s, int n) { s.profiles[2] = L"a -m" + std::to_wstring(n); }
void Archiver(TSettings& s, int n) { s.winRARPath = L"C:\\rar" + std::to_wstring(n) + L".exe"; }
void Extension(TSettings& s, int n) { s.fileExt = L".x" + std::to_wstring(n); }
void Existing(TSettings& s, int n) { s.choices.existingArchive = static_cast<TExistingArchive>(n); }
void Target(TSettings& s, int n) { s.choices.target = static_cast<TTarget>(n); }
void After(TSettings& s, int n) { s.choices.afterArchive = static_cast<TAfterArchive>(n); }
void Left(TSettings& s, int n) { s.left = 100 * n; }
void Height(TSettings& s, int n) { s.height = 300 + n; }
// The size as the window had it on a monitor of 48 * n DPI; the DPI alone.
void SizeAtDpi(TSettings& s, int n) {
  s.height = 300 + n;
  s.dpi = 48 * n;
}
void DpiOnly(TSettings& s, int n) { s.dpi = 96 * n; }
// Two keys at once: profile 1 as the window has it (1) and profile 2 as the file has it (2).
void Profiles12(TSettings& s, int n) {
  if (n & 1) s.profiles[0] = L"a -window";
  if (n & 2) s.profiles[1] = L"a -file";
}

TSettings With(SetKey set, int n) {
  TSettings settings;
  set(settings, n);
  return settings;
}

TEST(SettingsValues, AKeyKestrovaDidNotChangeGetsTheFilesValue) {
  // The key's value last read or written (baseline), in the window and in the file; what a save
  // writes; what the window takes on activation; then, after it took it, what a save writes
  // when the file has changed the key again (to later).
  struct Row {
    const char* why;
    SetKey key;
    int baseline, window, file;
    int saved, taken;
    int later, savedLater;
    bool elevated = false;
  };
  const Row rows[] = {
      {"nobody changed it", Profile3, 0, 0, 0, 0, 0, 1, 1},
      {"changed outside: the file's, taken and kept", Profile3, 0, 0, 1, 1, 1, 2, 2},
      {"changed in the window: the window's", Profile3, 0, 1, 0, 1, 1, 2, 1},
      {"changed in both: the window's, and it stays the window's", Profile3, 0, 1, 2, 1, 1, 3, 1},
      {"changed in the window and outside alike", Profile3, 0, 1, 1, 1, 1, 2, 1},
      {"the archiver changed outside", Archiver, 0, 0, 1, 1, 1, 2, 2},
      {"the archiver located in the window", Archiver, 0, 1, 2, 1, 1, 2, 1},
      {"the extension changed outside", Extension, 0, 0, 1, 1, 1, 0, 0},
      {"the extension typed in the window", Extension, 0, 1, 0, 1, 1, 2, 1},
      {"a choice changed outside", Existing, 0, 0, 2, 2, 2, 1, 1},
      {"a choice made in the window", Target, 0, 1, 0, 1, 1, 0, 1},
      {"the place changed outside: saved, never taken", Left, 0, 0, 1, 1, 0, 2, 2},
      {"the window moved: its own place", Left, 0, 1, 2, 1, 1, 3, 1},
      {"the size changed outside", Height, 5, 5, 7, 7, 5, 9, 9},
      {"the window went to a monitor of another DPI: its size and DPI together", SizeAtDpi, 2, 3,
       2, 3, 3, 4, 3},
      {"a DPI the file did not say is no change of the size", DpiOnly, 0, 1, 0, 0, 1, 0, 0},
      {"each key by itself: the window's profile 1 and the file's profile 2", Profiles12, 0, 1, 2,
       3, 3, 0, 1},
      {"elevated: the archiver changed outside is not taken, and the file keeps it", Archiver, 0,
       0, 1, 1, 0, 2, 2, true},
      {"elevated: nor a profile", Profile3, 0, 0, 1, 1, 0, 2, 2, true},
      {"elevated: nor the extension", Extension, 0, 0, 1, 1, 0, 2, 2, true},
      {"elevated: a choice still is", Existing, 0, 0, 2, 2, 2, 1, 1, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const TSettings window = With(row.key, row.window);
    const TSettings file = With(row.key, row.file);
    EXPECT_EQ(SavedSettings(With(row.key, row.baseline), window, file),
              With(row.key, row.saved));

    TSettings baseline = With(row.key, row.baseline);
    const TSettings taken = TakenSettings(baseline, window, file, row.elevated);
    EXPECT_EQ(taken, With(row.key, row.taken));
    EXPECT_EQ(SavedSettings(baseline, taken, With(row.key, row.later)),
              With(row.key, row.savedLater));
  }
}

// A settings file as its keys' texts.
class FileOf final : public TSettingsSource {
 public:
  std::map<std::wstring, std::wstring> keys;
  std::wstring String(const wchar_t* key, std::wstring_view fallback) const override {
    const auto found = keys.find(key);
    return found != keys.end() ? found->second : std::wstring(fallback);
  }
  int Integer(const wchar_t* key, int fallback) const override {
    const auto found = keys.find(key);
    return found != keys.end() && !found->second.empty() ? std::stoi(found->second) : fallback;
  }
};

TEST(SettingsValues, EveryKeyReadsBackWhatItWrites) {
  TSettings settings;
  settings.left = -20;
  settings.top = 40;
  settings.width = 500;
  settings.height = 600;
  settings.dpi = 144;
  settings.fileExt = L".7z";
  settings.winRARPath = L"C:\\7za.exe";
  for (std::size_t i = 0; i < settings.profiles.size(); ++i) {
    settings.profiles[i] = L"a -p" + std::to_wstring(i);
  }
  settings.choices = {TExistingArchive::Rename, TTarget::Children, TAfterArchive::Recycle};
  FileOf file;
  for (const TSettingsKey& key : SettingsKeys()) {
    const std::optional<std::wstring> text = key.text(settings);
    ASSERT_TRUE(text.has_value()) << "key " << key.name;
    file.keys[key.name] = *text;
  }
  EXPECT_EQ(ReadSettings(file, 96), settings);
  // Changing one key alone is a change of that key only (from a known DPI: a DPI the
  // baseline does not know is no change).
  TSettings base;
  base.dpi = 96;
  for (const TSettingsKey& key : SettingsKeys()) {
    TSettings one = base;
    key.copy(one, settings);
    for (const TSettingsKey& other : SettingsKeys()) {
      EXPECT_EQ(other.changed(base, one), &other == &key)
          << "key " << key.name << ", other " << other.name;
    }
  }
}

TEST(SettingsValues, WhatAFileGivesWhereItSaysLittleOrNonsense) {
  struct Row {
    const char* why;
    std::map<std::wstring, std::wstring> keys;
    unsigned dpi;
    SetKey expect;
    int n;
  };
  const Row rows[] = {
      {"a choice's word in any case", {{L"ExistingArchive", L"Rename"}}, 96, Existing, 2},
      {"a choice's unknown word is its default", {{L"Target", L"folders"}}, 96, Target, 0},
      {"a choice's word", {{L"Target", L"CHILDREN"}}, 96, Target, 1},
      {"what follows an archive", {{L"AfterArchive", L"test"}}, 96, After, 1},
      {"no word of deleting: what follows is nothing", {{L"AfterArchive", L"delete"}}, 96, After,
       0},
      {"no size: the default at the monitor's DPI",
       {},
       144,
       [](TSettings& s, int) {
         s.width = 432;
         s.height = 450;
       },
       0},
      {"no size but a DPI: the default at the file's DPI",
       {{L"MainDPI", L"192"}},
       96,
       [](TSettings& s, int) {
         s.width = 576;
         s.height = 600;
         s.dpi = 192;
       },
       0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    FileOf file;
    file.keys = row.keys;
    EXPECT_EQ(ReadSettings(file, row.dpi), With(row.expect, row.n));
  }
  // A choice at its default is not written; the DPI of 96 neither.
  TSettings defaults;
  defaults.dpi = 96;
  for (const TSettingsKey& key : SettingsKeys()) {
    const bool written = key.text(defaults).has_value();
    const std::wstring_view name = key.name;
    EXPECT_EQ(written, name != L"ExistingArchive" && name != L"Target" &&
                           name != L"AfterArchive" && name != L"MainDPI")
        << "key " << key.name;
  }
}

}  // namespace
}  // namespace kestrova
