// The result list's context menu.
#include "app/ListMenu.h"

#include <span>

#include "toolkit/Handles.h"
#include "toolkit/Text.h"

namespace kestrova {

namespace {

using State = TListMenuState;

// One line of the menu: an item, a separator, or a submenu (its items follow, up to its end).
struct Entry {
  enum class Kind { Item, Separator, Submenu, End } kind;
  UINT text = 0;
  TListCommand command = TListCommand::None;
  // Whether it is there, whether it can be chosen; null: always. A choice's item is checked
  // when it is the state's.
  bool (*shown)(const State&) = nullptr;
  bool (*enabled)(const State&) = nullptr;
};

using K = Entry::Kind;
using C = TListCommand;

// The choices' commands, each with the choice it stands for.
template <class Choice>
struct ChoiceCommand {
  TListCommand command;
  Choice choice;
};
constexpr ChoiceCommand<TExistingArchive> kExistingArchive[] = {
    {C::ExistingAdd, TExistingArchive::Add},
    {C::ExistingSkip, TExistingArchive::Skip},
    {C::ExistingRename, TExistingArchive::Rename},
};
constexpr ChoiceCommand<TTarget> kTarget[] = {
    {C::TargetFolder, TTarget::Folder},
    {C::TargetChildren, TTarget::Children},
};
constexpr ChoiceCommand<TAfterArchive> kAfterArchive[] = {
    {C::AfterNone, TAfterArchive::None},
    {C::AfterTest, TAfterArchive::Test},
    {C::AfterRecycle, TAfterArchive::Recycle},
};

template <class Choice, std::size_t N>
bool Pick(TListCommand command, const ChoiceCommand<Choice> (&table)[N], Choice& choice) {
  for (const ChoiceCommand<Choice>& entry : table) {
    if (entry.command != command) continue;
    choice = entry.choice;
    return true;
  }
  return false;
}

// Whether the command is the choice the state holds.
bool Checked(TListCommand command, const State& state) {
  TJobChoices picked = state.choices;
  return ChoiceOf(command, picked) && picked == state.choices;
}

// The choices of the next batch: a running batch keeps those it began with.
bool Idle(const State& s) { return !s.running; }

const Entry kMenu[] = {
    {K::Item, IDS_MENU_COPY, C::Copy, nullptr, [](const State& s) { return s.hasLines; }},
    {K::Item, IDS_MENU_SAVE_RESULTS, C::SaveResults, nullptr,
     [](const State& s) { return s.hasLines && !s.running; }},
    {K::Item, IDS_MENU_OPEN_PLACE, C::OpenPlace, nullptr,
     [](const State& s) { return s.lineHasResult; }},
    {K::Separator, 0, C::None, [](const State& s) { return s.running; }},
    {K::Item, IDS_MENU_STOP, C::Stop, [](const State& s) { return s.running; }},
    // One item, named after what it does now.
    {K::Item, IDS_MENU_PAUSE, C::Pause, [](const State& s) { return s.running && !s.paused; }},
    {K::Item, IDS_MENU_RESUME, C::Pause, [](const State& s) { return s.running && s.paused; }},
    {K::Separator},
    {K::Item, IDS_MENU_RETRY_FAILED, C::RetryFailed, nullptr,
     [](const State& s) { return s.canRetry && !s.running; }},
    {K::Separator},
    {K::Submenu, IDS_MENU_EXISTING, C::None, nullptr, Idle},
    {K::Item, IDS_MENU_EXISTING_ADD, C::ExistingAdd},
    {K::Item, IDS_MENU_EXISTING_SKIP, C::ExistingSkip},
    {K::Item, IDS_MENU_EXISTING_RENAME, C::ExistingRename},
    {K::End},
    {K::Submenu, IDS_MENU_TARGET, C::None, nullptr, Idle},
    {K::Item, IDS_MENU_TARGET_FOLDER, C::TargetFolder},
    {K::Item, IDS_MENU_TARGET_CHILDREN, C::TargetChildren},
    {K::End},
    {K::Submenu, IDS_MENU_AFTER, C::None, nullptr, Idle},
    {K::Item, IDS_MENU_AFTER_NONE, C::AfterNone},
    {K::Item, IDS_MENU_AFTER_TEST, C::AfterTest},
    {K::Item, IDS_MENU_AFTER_RECYCLE, C::AfterRecycle},
    {K::End},
    {K::Item, IDS_MENU_EDIT_PROFILES, C::EditProfiles, nullptr, Idle},
    {K::Item, IDS_MENU_LOCATE_ARCHIVER, C::LocateArchiver, nullptr, Idle},
    // Explorer's Send To menu: a shortcut to this program there, made or taken away.
    {K::Separator, 0, C::None, [](const State& s) { return s.sendTo != TSendTo::NotOffered; }},
    {K::Item, IDS_MENU_SENDTO_ADD, C::SendToAdd,
     [](const State& s) { return s.sendTo == TSendTo::Absent; }},
    {K::Item, IDS_MENU_SENDTO_REMOVE, C::SendToRemove,
     [](const State& s) { return s.sendTo == TSendTo::Present; }},
};

// Appends the entries from at to the end of their menu (or of the table) to menu; at ends past
// them.
bool Append(HMENU menu, std::span<const Entry>& at, const State& state) {
  while (!at.empty()) {
    const Entry& entry = at.front();
    at = at.subspan(1);
    if (entry.kind == K::End) return true;
    const bool shown = entry.shown == nullptr || entry.shown(state);
    const UINT grayed = entry.enabled == nullptr || entry.enabled(state) ? 0 : MF_GRAYED;
    switch (entry.kind) {
      case K::Separator:
        if (shown && !AppendMenuW(menu, MF_SEPARATOR, 0, nullptr)) return false;
        break;
      case K::Item: {
        if (!shown) break;
        const auto id = static_cast<UINT>(entry.command);
        if (!AppendMenuW(menu, MF_STRING | grayed, id, LoadStr(entry.text).c_str())) return false;
        if (Checked(entry.command, state)) {
          CheckMenuRadioItem(menu, id, id, id, MF_BYCOMMAND);
        }
        break;
      }
      case K::Submenu: {
        // A submenu belongs to the menu once it is in it.
        const HMENU sub = CreatePopupMenu();
        if (sub == nullptr) return false;
        if (!Append(sub, at, state) ||
            !AppendMenuW(menu, MF_POPUP | grayed, reinterpret_cast<UINT_PTR>(sub),
                         LoadStr(entry.text).c_str())) {
          DestroyMenu(sub);
          return false;
        }
        break;
      }
      case K::End:
        break;
    }
  }
  return true;
}

}  // namespace

HMENU BuildListMenu(const TListMenuState& state) {
  const HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return nullptr;
  std::span<const Entry> entries(kMenu);
  if (!Append(menu, entries, state)) {
    DestroyMenu(menu);
    return nullptr;
  }
  return menu;
}

TListCommand ShowListMenu(HWND owner, POINT at, const TListMenuState& state) {
  const HMENU menu = BuildListMenu(state);
  if (menu == nullptr) return TListCommand::None;
  const ScopeExit destroy([menu] { DestroyMenu(menu); });
  return static_cast<TListCommand>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
}

int MenuLine(TCustomListBox& list, POINT& at) {
  int line = list.ItemIndex();
  if (at.x == -1 && at.y == -1) {
    const RECT place = list.ItemRect(line).value_or(RECT{});
    at = POINT{place.left, place.bottom};
    ClientToScreen(list.Handle(), &at);
  } else {
    POINT client = at;
    ScreenToClient(list.Handle(), &client);
    if (const int hit = list.ItemAt(client); hit >= 0) list.SetItemIndex(line = hit);
  }
  return line;
}

bool ChoiceOf(TListCommand command, TJobChoices& choices) {
  return Pick(command, kExistingArchive, choices.existingArchive) ||
         Pick(command, kTarget, choices.target) ||
         Pick(command, kAfterArchive, choices.afterArchive);
}

}  // namespace kestrova
