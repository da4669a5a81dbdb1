// TListBoxEx: a list whose horizontal scroll range follows its widest line. It intercepts the
// native list's insertion, deletion and reset requests, whoever sends them, lets the list carry
// each out, and sets the extent to the widest measured width plus Space. It keeps one integer
// about widths, never per-item widths: an insertion costs one measurement, deleting a narrower
// line one, deleting a widest line one plus one per remaining line, a reset none. Lines are
// measured through one memory DC that holds the list's font.
//
// Lines may have tips (ItemTips): the tip of the line under the pointer shows as a tooltip, and
// copying the lines (WM_COPY, Ctrl+C) puts each on the clipboard with its tip after a tab.
#pragma once

#include <functional>
#include <string>

#include "toolkit/Handles.h"
#include "toolkit/ListBox.h"

namespace kestrova {

class TListBoxEx : public TCustomListBox {
 public:
  TListBoxEx(TForm& owner, const ControlLayout& layout);
  TListBoxEx(HWND parent, const ControlLayout& layout, UINT dpi = 96);

  int Space() const { return space_; }
  // Applies the new extent at once, without measuring anything again.
  void SetSpace(int space);
  int MaxItemWidth() const { return FMaxItemWidth; }

  // Width in pixels of the line at a position, in the font the list draws with; 0 for a
  // position that names no line.
  int GetTextWidth(int index) const;

  // Measures every line again, as after a change of the list's font, and sets the extent.
  void Remeasure();

  // Gives the lines tips: tip(index) for the line at that position, empty for none. The
  // tooltip window is made when the pointer first comes over the list.
  void SetItemTips(std::function<std::wstring(int index)> tip);
  // Every line, with its tip after a tab where it has one, each ended by CR LF.
  std::wstring CopyText() const;

 protected:
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  virtual void LBAdd(TMessage& message);
  virtual void LBDelete(TMessage& message);
  virtual void LBResetContent(TMessage& message);
  // The message map (message: a TMessage*): the six requests that add or remove lines go to
  // their handler, which calls the list's own handling itself; every other message goes to
  // the list's own handling unchanged.
  virtual void Dispatch(void* message);

 private:
  void SetExtent(long long extent);
  // The pointer moved over the list: the tooltip follows the line under it.
  void TrackTip(UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateTooltip();
  // Puts the list's font (null: the system font) into the measuring DC, once it exists.
  void SelectMeasuringFont(HFONT font) const;

  int FMaxItemWidth = 0;  // its given name
  int space_ = 5;
  // The measuring DC, made at the first measurement, and the text buffer of the measurements.
  mutable MemoryDC measuring_;
  mutable std::wstring text_;

  std::function<std::wstring(int)> tip_;
  OwnedWindow tooltip_;
  int tipLine_ = -1;
  std::wstring tipText_;
};

// A form designer's registration of TListBoxEx on its component palette ("Samples"). The
// program has no designer: it does nothing, and nothing calls it at run time.
void Register();

}  // namespace kestrova
