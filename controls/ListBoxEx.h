// TListBoxEx: a list whose horizontal scroll range follows its widest line. It intercepts the
// native list's insertion, deletion and reset requests, whoever sends them, lets the list carry
// each out, and sets the extent to the widest measured width plus Space. It keeps one integer
// about widths, never per-item widths: an insertion costs one measurement, deleting a narrower
// line one, deleting a widest line one plus one per remaining line, a reset none. Lines are
// measured through one memory DC that holds the list's font.
//
// Lines may have tips (ItemTips): the tip of the line under the pointer shows as a tooltip; the
// tip of a line the selection moves to from the keyboard shows the same way beside the line,
// until the selection moves on (or the list loses the focus); a line's tip is its accessible
// description, which screen readers read with it; copying the lines (WM_COPY, Ctrl+C) puts each
// on the clipboard with its tip after a tab.
//
// While it has no line, the list may show what to do with it (EmptyText): drawn, not an item.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "toolkit/Handles.h"
#include "toolkit/ListBox.h"

namespace kestrova {

class ListAccessible;

class TListBoxEx : public TCustomListBox {
 public:
  TListBoxEx(TForm& owner, const ControlLayout& layout);
  TListBoxEx(HWND parent, const ControlLayout& layout, UINT dpi = 96);
  // Screen readers that still hold the list's accessible object get errors from now on.
  ~TListBoxEx() override;

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

  // A text drawn in grey, centred, in the list's font, while the list has no line (its lines
  // parted by LF; it is also the list's accessible description then); empty for none. It is no
  // item: the count stays 0.
  void SetEmptyText(std::wstring text);

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
  // After a request that may have moved the selection: from the keyboard, the tip of the line
  // selected now shows beside it; otherwise a tip shown for another line goes.
  void FollowSelection(bool fromKeyboard);
  // The keyboard's tip at its line (gone while the line is scrolled out of sight).
  void PlaceKeyTip();
  void HideKeyTip();
  void PaintEmptyText(HDC dc) const;
  // A line's description (child: its position + 1), or the list's (CHILDID_SELF); nothing where
  // the system's own is to be given.
  std::optional<std::wstring> Description(long child) const;

  int FMaxItemWidth = 0;  // its given name
  int space_ = 5;
  // The measuring DC, made at the first measurement, and the text buffer of the measurements.
  mutable MemoryDC measuring_;
  mutable std::wstring text_;

  std::function<std::wstring(int)> tip_;
  OwnedWindow tooltip_;
  int tipLine_ = -1;
  std::wstring tipText_;
  // The tip shown for the line the keyboard selected (-1: none), a tracking tooltip of its own.
  OwnedWindow keyTip_;
  int keyLine_ = -1;
  std::wstring keyTipText_;

  std::wstring emptyText_;
  ComPtr<ListAccessible> accessible_;
};

// A form designer's registration of TListBoxEx on its component palette ("Samples"). The
// program has no designer: it does nothing, and nothing calls it at run time.
void Register();

}  // namespace kestrova
