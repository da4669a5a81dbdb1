// The main window's settings.
#include "app/MainSettings.h"

#include "app/ProfileDialog.h"
#include "app/batch/ErrorText.h"
#include "app/desktop/Explorer.h"
#include "app/desktop/Placement.h"
#include "resources/resource.h"
#include "toolkit/Application.h"
#include "toolkit/OwnedMessage.h"
#include "toolkit/Text.h"
#include "toolkit/TextRules.h"

namespace kestrova {

TMainSettings::TMainSettings(TForm& window, TEdit& ext, TComboBox& profiles,
                             std::wstring& archiver, TJobChoices& choices)
    : window_(window), ext_(ext), profiles_(profiles), archiver_(archiver), choices_(choices) {}

void TMainSettings::Load() { Apply(File.Load(window_.Dpi())); }

void TMainSettings::Apply(const TSettings& settings) {
  // Sized once, for the monitor the saved place lies on; the DPI change the move brings keeps
  // that size.
  const TSavedPlace place =
      PlaceOfSaved(RECT{settings.left, settings.top, settings.left + settings.width,
                        settings.top + settings.height},
                   settings.dpi);
  window_.PlaceAt(place.bounds, place.dpi);
  KeepOnScreen(window_.Handle());
  ApplyValues(settings);
}

void TMainSettings::ApplyValues(const TSettings& settings) {
  ext_.SetText(settings.fileExt);
  archiver_ = settings.winRARPath;
  SetProfiles(settings.profiles);
  choices_ = settings.choices;
}

void TMainSettings::SetProfiles(const std::array<std::wstring, 5>& profiles) {
  const int selected = profiles_.ItemIndex();
  profiles_.Clear();
  for (const std::wstring& profile : profiles) profiles_.Add(profile);
  profiles_.SetItemIndex(selected);
}

TSettings TMainSettings::Current() const {
  TSettings settings;
  const RECT bounds = RestoredBounds(window_.Handle());
  settings.left = bounds.left;
  settings.top = bounds.top;
  settings.width = bounds.right - bounds.left;
  settings.height = bounds.bottom - bounds.top;
  settings.dpi = static_cast<int>(window_.Dpi());
  settings.fileExt = ext_.Text();
  settings.winRARPath = archiver_;
  for (std::size_t i = 0; i < settings.profiles.size(); ++i) {
    settings.profiles[i] = profiles_.Item(static_cast<int>(i));
  }
  settings.choices = choices_;
  return settings;
}

bool TMainSettings::LocateArchiver(TOpenDialog& dialog) {
  dialog.InitialDir = ArchiverFolderToOffer(archiver_);
  if (!dialog.Execute(window_.Handle())) return false;
  archiver_ = dialog.FileName;
  return true;
}

void TMainSettings::EditProfiles() {
  std::array<std::wstring, 5> profiles;
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    profiles[i] = profiles_.Item(static_cast<int>(i));
  }
  if (!kestrova::EditProfiles(window_.Handle(), profiles)) return;
  SetProfiles(profiles);
  SaveNow();
}

void TMainSettings::Watch(UINT message) {
  message_ = message;
  watched_ = File.Folder();
  watch_.reset();
  if (watched_.empty()) return;
  watch_ = std::make_unique<TFolderWatch>(
      watched_, [window = window_.Handle(), message, read = File.Reader()] {
        auto reading = std::make_unique<TSettingsRead>(read());
        msg::PostOwned(window, message, 0, reading);
      });
}

void TMainSettings::Arrived(std::unique_ptr<TSettingsRead> read) { read_ = std::move(*read); }

void TMainSettings::TakeOutsideEdits() {
  if (!read_) return;
  if (const std::optional<TSettings> taken = File.ChangedOutside(Current(), *read_, Elevated)) {
    ApplyValues(*taken);
  }
}

void TMainSettings::ReadAgain() {
  if (watch_) watch_->Again();
}

void TMainSettings::Save() {
  File.Save(Current());
  // The first save may have put the file in another folder (the user's, where the program's
  // took no new file): that one is watched from now on.
  if (message_ != 0 && File.Folder() != watched_) Watch(message_);
}

void TMainSettings::SaveNow() {
  try {
    Save();
  } catch (const Error& e) {
    if (e.GetKind() != Error::Kind::CannotWrite) throw;
    const std::wstring text = ErrorBoxText(ErrorText(e));
    MessageBoxW(window_.Handle(), text.c_str(), Application().Title().c_str(),
                MB_OK | MB_ICONERROR);
  }
}

bool TMainSettings::SaveOrAskToQuit() {
  try {
    Save();
    return true;
  } catch (const Error& e) {
    if (e.GetKind() != Error::Kind::CannotWrite) throw;
    const std::wstring text = ErrorBoxText(ErrorText(e)) + L"\n" + LoadStr(IDS_QUIT_UNSAVED);
    return MessageBoxW(window_.Handle(), text.c_str(), Application().Title().c_str(),
                       MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2) == IDYES;
  }
}

}  // namespace kestrova
