// The settings as one value, and which value each key gets.
#include "app/SettingsValues.h"

namespace kestrova {

namespace {

template <typename T>
T Saved(const T& baseline, const T& window, const T& file) {
  return window == baseline ? file : window;
}

template <typename T>
T Taken(T& baseline, const T& window, const T& file) {
  if (window != baseline) return window;
  baseline = file;
  return file;
}

}  // namespace

TSettings SavedSettings(const TSettings& baseline, const TSettings& window, const TSettings& file) {
  TSettings saved;
  saved.left = Saved(baseline.left, window.left, file.left);
  saved.top = Saved(baseline.top, window.top, file.top);
  const bool sized = window.width != baseline.width || window.height != baseline.height ||
                     (baseline.dpi != 0 && window.dpi != baseline.dpi);
  const TSettings& size = sized ? window : file;
  saved.width = size.width;
  saved.height = size.height;
  saved.dpi = size.dpi;
  saved.fileExt = Saved(baseline.fileExt, window.fileExt, file.fileExt);
  saved.winRARPath = Saved(baseline.winRARPath, window.winRARPath, file.winRARPath);
  for (std::size_t i = 0; i < saved.profiles.size(); ++i) {
    saved.profiles[i] = Saved(baseline.profiles[i], window.profiles[i], file.profiles[i]);
  }
  saved.existingArchive =
      Saved(baseline.existingArchive, window.existingArchive, file.existingArchive);
  saved.target = Saved(baseline.target, window.target, file.target);
  return saved;
}

TSettings TakenSettings(TSettings& baseline, const TSettings& window, const TSettings& file) {
  // The bounds are the window's: their baseline stays what was read or written.
  TSettings taken = window;
  taken.fileExt = Taken(baseline.fileExt, window.fileExt, file.fileExt);
  taken.winRARPath = Taken(baseline.winRARPath, window.winRARPath, file.winRARPath);
  for (std::size_t i = 0; i < taken.profiles.size(); ++i) {
    taken.profiles[i] = Taken(baseline.profiles[i], window.profiles[i], file.profiles[i]);
  }
  taken.existingArchive =
      Taken(baseline.existingArchive, window.existingArchive, file.existingArchive);
  taken.target = Taken(baseline.target, window.target, file.target);
  return taken;
}

}  // namespace kestrova
