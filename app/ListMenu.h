// The result list's context menu, as one table: each item a text of the string table and a
// command; what is greyed, checked or left out follows the window's state, given as a value.
// The window shows it and carries out the command it returns. The same commands come from the
// window's keys (its accelerator table).
#pragma once

#include "app/batch/ArchiveRules.h"
#include "app/desktop/Explorer.h"
#include "resources/resource.h"
#include "toolkit/ListBox.h"
#include "toolkit/Win.h"

namespace kestrova {

// The menu's commands; their values are the items' ids (and the accelerators').
enum class TListCommand : UINT {
  None = 0,
  Copy = IDM_COPY,
  OpenPlace = IDM_OPEN_PLACE,
  Stop = IDM_STOP,
  RetryFailed = IDM_RETRY_FAILED,
  EditProfiles = IDM_EDIT_PROFILES,
  LocateArchiver = IDM_LOCATE_ARCHIVER,
  ExistingAdd = IDM_EXISTING_ADD,
  ExistingSkip = IDM_EXISTING_SKIP,
  ExistingRename = IDM_EXISTING_RENAME,
  TargetFolder = IDM_TARGET_FOLDER,
  TargetChildren = IDM_TARGET_CHILDREN,
  SendToAdd = IDM_SENDTO_ADD,
  SendToRemove = IDM_SENDTO_REMOVE,
  SaveResults = IDM_SAVE_RESULTS,
  AfterNone = IDM_AFTER_NONE,
  AfterTest = IDM_AFTER_TEST,
  AfterRecycle = IDM_AFTER_RECYCLE,
  // Pauses a running batch, or resumes a paused one.
  Pause = IDM_PAUSE,
};

// What the menu shows.
struct TListMenuState {
  bool hasLines = false;       // Copy; Save the results while no batch runs
  bool lineHasResult = false;  // Open the archive's place
  bool running = false;        // Stop; the choices, the profiles and the archiver are greyed
  bool paused = false;         // Pause reads Resume
  bool canRetry = false;       // the last batch has [NG] lines
  TJobChoices choices;
  TSendTo sendTo = TSendTo::NotOffered;
};

// The menu for that state; the caller destroys it (DestroyMenu takes its submenus too). Null
// when the system has no menu to give.
HMENU BuildListMenu(const TListMenuState& state);

// Shows the menu at a screen point over owner and returns the command chosen (None when the
// menu was dismissed).
TListCommand ShowListMenu(HWND owner, POINT at, const TListMenuState& state);

// Where the list's menu opens, and the line it is for: at a screen point, the line under it
// selected first (a right click); at (-1, -1), from the keyboard, below the selected line (or
// at the list's corner).
int MenuLine(TCustomListBox& list, POINT& at);

// When the command stands for a choice: puts it into choices, and true.
bool ChoiceOf(TListCommand command, TJobChoices& choices);

}  // namespace kestrova
