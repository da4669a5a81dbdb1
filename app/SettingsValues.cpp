// The settings' keys as one table, and which value each key gets.
#include "app/SettingsValues.h"

#include <utility>

#include "app/desktop/PlacementRule.h"
#include "toolkit/TextRules.h"

namespace kestrova {

namespace {

using Group = TSettingsKey::Group;
using Outside = TSettingsKey::Outside;

// The words of a choice in the file; the first is its default.
template <class E>
struct ChoiceWords;
template <>
struct ChoiceWords<TExistingArchive> {
  static constexpr std::pair<TExistingArchive, const wchar_t*> words[] = {
      {TExistingArchive::Add, L"add"},
      {TExistingArchive::Skip, L"skip"},
      {TExistingArchive::Rename, L"rename"}};
};
template <>
struct ChoiceWords<TTarget> {
  static constexpr std::pair<TTarget, const wchar_t*> words[] = {{TTarget::Folder, L"folder"},
                                                                  {TTarget::Children, L"children"}};
};

template <>
struct ChoiceWords<TAfterArchive> {
  static constexpr std::pair<TAfterArchive, const wchar_t*> words[] = {
      {TAfterArchive::None, L"none"},
      {TAfterArchive::Test, L"test"},
      {TAfterArchive::Recycle, L"recycle"}};
};

template <class E>
E ChoiceFrom(std::wstring_view word) {
  for (const auto& [choice, text] : ChoiceWords<E>::words) {
    if (SameAsciiName(word, text)) return choice;
  }
  return ChoiceWords<E>::words[0].first;
}

template <class E>
std::wstring_view WordOfChoice(E choice) {
  for (const auto& [value, text] : ChoiceWords<E>::words) {
    if (value == choice) return text;
  }
  return ChoiceWords<E>::words[0].second;
}

// A 96-DPI length on a monitor of dpi, rounded as MulDiv rounds.
int Scaled(int value96, unsigned dpi) {
  return static_cast<int>((2LL * value96 * dpi + 96) / 192);
}

// The DPI the file's size was measured at: the file's, where it says a plausible one, else the
// monitor's the window opens on.
unsigned SizeDpi(const TSettingsSource& file, unsigned dpi) {
  const int saved = file.Integer(L"MainDPI", 0);
  return IsPlausibleDpi(saved) ? static_cast<unsigned>(saved) : dpi;
}

// A key's rules over the field that Get (a captureless lambda) gives of TSettings.
template <class Get>
struct Field {
  static auto& Of(TSettings& s) { return Get{}(s); }
  static const auto& Of(const TSettings& s) { return Get{}(s); }
  static bool Changed(const TSettings& baseline, const TSettings& window) {
    return Of(baseline) != Of(window);
  }
  static void Copy(TSettings& to, const TSettings& from) { Of(to) = Of(from); }
  static std::optional<std::wstring> Decimal(const TSettings& s) { return DecimalText(Of(s)); }
};

template <class Get>
TSettingsKey TextKey(const wchar_t* name, Outside fromOutside, Get) {
  using F = Field<Get>;
  return {name, Group::Alone, fromOutside,
          [](TSettings& s, const TSettingsSource& file, const wchar_t* key, unsigned) {
            F::Of(s) = file.String(key, F::Of(TSettings{}));
          },
          [](const TSettings& s) { return std::optional<std::wstring>(F::Of(s)); }, &F::Changed,
          &F::Copy};
}

// The window's place: its own, never taken from outside.
template <class Get>
TSettingsKey PlaceKey(const wchar_t* name, Get) {
  using F = Field<Get>;
  return {name, Group::Alone, Outside::Never,
          [](TSettings& s, const TSettingsSource& file, const wchar_t* key, unsigned) {
            F::Of(s) = file.Integer(key, F::Of(TSettings{}));
          },
          &F::Decimal, &F::Changed, &F::Copy};
}

// The window's size: its default scaled to the DPI it was measured at.
template <class Get>
TSettingsKey SizeKey(const wchar_t* name, Get) {
  using F = Field<Get>;
  return {name, Group::Size, Outside::Never,
          [](TSettings& s, const TSettingsSource& file, const wchar_t* key, unsigned dpi) {
            F::Of(s) = file.Integer(key, Scaled(F::Of(TSettings{}), SizeDpi(file, dpi)));
          },
          &F::Decimal, &F::Changed, &F::Copy};
}

// A choice of the list menu, in the file only when not its default.
template <class Get>
TSettingsKey ChoiceKey(const wchar_t* name, Get) {
  using F = Field<Get>;
  using E = std::remove_cvref_t<decltype(F::Of(std::declval<TSettings&>()))>;
  return {name, Group::Alone, Outside::Always,
          [](TSettings& s, const TSettingsSource& file, const wchar_t* key, unsigned) {
            F::Of(s) = ChoiceFrom<E>(file.String(key, L""));
          },
          [](const TSettings& s) {
            const E choice = F::Of(s);
            return choice == F::Of(TSettings{}) ? std::nullopt
                                                : std::optional<std::wstring>(WordOfChoice(choice));
          },
          &F::Changed, &F::Copy};
}

// The size's DPI: kept only when it is not 96 (a size at 96 DPI, and one whose DPI is not known,
// need no word of it); a DPI the baseline does not know is no change of the size.
TSettingsKey DpiKey() {
  using F = Field<decltype([](auto& s) -> auto& { return s.dpi; })>;
  return {L"MainDPI", Group::Size, Outside::Never,
          [](TSettings& s, const TSettingsSource& file, const wchar_t* key, unsigned) {
            s.dpi = file.Integer(key, 0);
          },
          [](const TSettings& s) {
            return s.dpi != 96 && IsPlausibleDpi(s.dpi)
                       ? std::optional<std::wstring>(DecimalText(s.dpi))
                       : std::nullopt;
          },
          [](const TSettings& baseline, const TSettings& window) {
            return baseline.dpi != 0 && window.dpi != baseline.dpi;
          },
          &F::Copy};
}

const TSettingsKey kKeys[] = {
    PlaceKey(L"MainX", [](auto& s) -> auto& { return s.left; }),
    PlaceKey(L"MainY", [](auto& s) -> auto& { return s.top; }),
    SizeKey(L"MainW", [](auto& s) -> auto& { return s.width; }),
    SizeKey(L"MainH", [](auto& s) -> auto& { return s.height; }),
    // The extension decides where an archive is written ("\..\" in it leaves the folder).
    TextKey(L"FileExt", Outside::NotElevated, [](auto& s) -> auto& { return s.fileExt; }),
    TextKey(L"WinRARPath", Outside::NotElevated, [](auto& s) -> auto& { return s.winRARPath; }),
    TextKey(L"WinRARCommandLine", Outside::NotElevated,
            [](auto& s) -> auto& { return s.profiles[0]; }),
    TextKey(L"WinRARCommandLine2", Outside::NotElevated,
            [](auto& s) -> auto& { return s.profiles[1]; }),
    TextKey(L"WinRARCommandLine3", Outside::NotElevated,
            [](auto& s) -> auto& { return s.profiles[2]; }),
    TextKey(L"WinRARCommandLine4", Outside::NotElevated,
            [](auto& s) -> auto& { return s.profiles[3]; }),
    TextKey(L"WinRARCommandLine5", Outside::NotElevated,
            [](auto& s) -> auto& { return s.profiles[4]; }),
    DpiKey(),
    ChoiceKey(L"ExistingArchive", [](auto& s) -> auto& { return s.choices.existingArchive; }),
    ChoiceKey(L"Target", [](auto& s) -> auto& { return s.choices.target; }),
    ChoiceKey(L"AfterArchive", [](auto& s) -> auto& { return s.choices.afterArchive; }),
};

}  // namespace

std::span<const TSettingsKey> SettingsKeys() { return kKeys; }

TSettings ReadSettings(const TSettingsSource& file, unsigned dpi) {
  TSettings settings;
  for (const TSettingsKey& key : kKeys) key.read(settings, file, key.name, dpi);
  return settings;
}

TSettings SavedSettings(const TSettings& baseline, const TSettings& window, const TSettings& file) {
  bool sized = false;
  for (const TSettingsKey& key : kKeys) {
    if (key.group == Group::Size && key.changed(baseline, window)) sized = true;
  }
  TSettings saved;
  for (const TSettingsKey& key : kKeys) {
    const bool kestrovas = key.group == Group::Size ? sized : key.changed(baseline, window);
    key.copy(saved, kestrovas ? window : file);
  }
  return saved;
}

TSettings TakenSettings(TSettings& baseline, const TSettings& window, const TSettings& file,
                        bool elevated) {
  TSettings taken = window;
  for (const TSettingsKey& key : kKeys) {
    const bool takes = key.fromOutside == Outside::Always ||
                       (key.fromOutside == Outside::NotElevated && !elevated);
    if (!takes || key.changed(baseline, window)) continue;
    key.copy(taken, file);
    key.copy(baseline, file);
  }
  return taken;
}

TExistingArchive ExistingArchiveFrom(std::wstring_view word) { return ChoiceFrom<TExistingArchive>(word); }
TTarget TargetFrom(std::wstring_view word) { return ChoiceFrom<TTarget>(word); }
TAfterArchive AfterArchiveFrom(std::wstring_view word) { return ChoiceFrom<TAfterArchive>(word); }
std::wstring_view WordOf(TExistingArchive choice) { return WordOfChoice(choice); }
std::wstring_view WordOf(TTarget choice) { return WordOfChoice(choice); }
std::wstring_view WordOf(TAfterArchive choice) { return WordOfChoice(choice); }

}  // namespace kestrova
