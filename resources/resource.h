// Identifiers shared by Kestrova.rc, the layouts and the code (also by the test probe).
#pragma once

#include "resources/version.h"

#define KESTROVA_TITLE_TEXT "Kestrova " KESTROVA_BUILD_DATE_TEXT

// Icon, bitmap, manifest.
#define IDI_KESTROVA 1
#define IDB_LOGO 100

// Window classes, for the probe and the tests as much as for the program.
#define KESTROVA_MAIN_CLASS "TKSTV_MAIN"
#define KESTROVA_ABOUT_CLASS "TKSTV_ABOUT"
#define KESTROVA_PROFILES_CLASS "TKSTV_PROFILES"

// Controls of the main window.
#define IDC_PANEL 1001
#define IDC_EXT 1002
#define IDC_ABOUT 1003
#define IDC_PROFILE 1004
#define IDC_LIST 1005
// How far a batch is: the strip between the extension box and About.
#define IDC_STRIP 1006

// The main window's keys.
#define IDA_MAIN 200

// Commands of the result list's menu and of the window's keys.
#define IDM_COPY 1301
#define IDM_OPEN_PLACE 1302
#define IDM_STOP 1303
#define IDM_RETRY_FAILED 1304
#define IDM_EDIT_PROFILES 1305
#define IDM_LOCATE_ARCHIVER 1306
#define IDM_EXISTING_ADD 1307
#define IDM_EXISTING_SKIP 1308
#define IDM_EXISTING_RENAME 1309
#define IDM_TARGET_FOLDER 1310
#define IDM_TARGET_CHILDREN 1311
#define IDM_SENDTO_ADD 1312
#define IDM_SENDTO_REMOVE 1313
#define IDM_SAVE_RESULTS 1330
#define IDM_AFTER_NONE 1314
#define IDM_AFTER_TEST 1315
#define IDM_AFTER_RECYCLE 1316
// Pause and resume: one item, named after what it does now.
#define IDM_PAUSE 1320

// Controls of the about dialog.
#define IDC_LABEL1 1101
#define IDC_LABEL2 1102
#define IDC_URL 1103
#define IDC_EMAIL 1104
#define IDC_IMAGE2 1105

// Controls of the profile editing dialog: the labels, the boxes (profile n is base + n - 1),
// its buttons.
#define IDC_PROFILE_LABEL_BASE 1201
#define IDC_PROFILE_EDIT_BASE 1206
#define IDC_PROFILES_OK 1211
#define IDC_PROFILES_CANCEL 1212

// String table.
#define IDS_ABOUT_BUTTON 2
#define IDS_DEFAULT_EXT 3
#define IDS_RESULT_OK 10
#define IDS_RESULT_NG 11
#define IDS_CAPTION_BUSY 12
#define IDS_CAPTION_DONE 13
#define IDS_EMPTY_PROFILE 14
#define IDS_EMPTY_PROFILE_CAPTION 15
#define IDS_CANNOT_WRITE 16
#define IDS_QUIT_UNSAVED 19
#define IDS_BUSY_REASON 24
#define IDS_STOP_BATCH 25
#define IDS_STOP_QUESTION 26
#define IDS_FORCE_STOP 27
#define IDS_CAPTION_STOPPED 28

// Why a folder failed, and the result list's menu.
#define IDS_EXIT_CODE 40
#define IDS_EXIT_MEANING_BASE 40  // + the exit code, for the codes 1 to 12
#define IDS_EXIT_255 60
#define IDS_CRASHED 61
#define IDS_CANNOT_START 62
#define IDS_TOO_LONG 63
#define IDS_MENU_COPY 64
#define IDS_MENU_OPEN_PLACE 65
#define IDS_MENU_STOP 66
#define IDS_REASON_STOPPED 67

// Existing archives and the folders inside a given one.
#define IDS_RESULT_SKIPPED 70
#define IDS_ALREADY_THERE 71
#define IDS_NO_FOLDERS 72
#define IDS_MADE_AS 73
#define IDS_MENU_EXISTING 74
#define IDS_MENU_EXISTING_ADD 75
#define IDS_MENU_EXISTING_SKIP 76
#define IDS_MENU_EXISTING_RENAME 77
#define IDS_MENU_TARGET 78
#define IDS_MENU_TARGET_FOLDER 79
#define IDS_MENU_TARGET_CHILDREN 80
#define IDS_MENU_SENDTO_ADD 81
#define IDS_MENU_SENDTO_REMOVE 82

// Every way out of an item, and the menu's commands of the whole batch and the settings.
#define IDS_WORKER_ENDED 90
#define IDS_WORKER_NOT_STARTED 91
#define IDS_ITEM_BROKE_OFF 92
#define IDS_MENU_RETRY_FAILED 93
#define IDS_MENU_EDIT_PROFILES 94
#define IDS_MENU_LOCATE_ARCHIVER 95

// What a forced stop did with the archive it cut off.
#define IDS_KEPT_SOURCES_MOVED 150
#define IDS_KEPT_NOT_ENDED 151
#define IDS_NOT_DELETED 152

// What follows an archive: its test, the folder to the Recycle Bin, why a folder stays (base +
// the reason's number, TKeep), the menu's choice.
#define IDS_CAPTION_TESTING 300
#define IDS_TEST_PREFIX 301
#define IDS_TEST_NO_LINE 302
#define IDS_TESTED 303
#define IDS_TESTED_RECYCLED 304
#define IDS_TESTED_KEPT 305
#define IDS_RECYCLE_DELETING_PROFILE 306
#define IDS_MENU_AFTER 307
#define IDS_MENU_AFTER_NONE 308
#define IDS_MENU_AFTER_TEST 309
#define IDS_MENU_AFTER_RECYCLE 310
#define IDS_KEEP_BASE 320  // + TKeep's number, 2 to 14

#define IDS_LOCATE_TITLE 20
#define IDS_LOCATE_FILTER_NAME 21
#define IDS_LOCATE_FILTER_PATTERN 22
#define IDS_LOCATE_DEFAULT_EXT 23
#define IDS_LIST_INSERT_ERROR 17
#define IDS_LIST_INDEX_ERROR 18
#define IDS_ABOUT_CAPTION 30
#define IDS_MAKER 31
#define IDS_MAKER_URL 32
#define IDS_MAKER_MAIL 33

// The profile editing dialog (label n is base + n - 1), and where a failed start's reason sends
// the user.
#define IDS_PROFILES_CAPTION 120
#define IDS_PROFILE_LABEL_BASE 121
#define IDS_PROFILES_OK 126
#define IDS_PROFILES_CANCEL 127
#define IDS_CANNOT_START_HINT 130

// The empty list's text, and the results file: its menu item, its dialog, its header.
#define IDS_EMPTY_LIST_DROP 170
#define IDS_EMPTY_LIST_MENU 171
#define IDS_MENU_SAVE_RESULTS 172
#define IDS_SAVE_RESULTS_TITLE 173
#define IDS_SAVE_RESULTS_NAME 174
#define IDS_SAVE_TYPE_TSV 175
#define IDS_SAVE_TYPE_CSV 176
#define IDS_RESULTS_HEADER_BASE 177  // + the column, 0 to 5

// A value the settings file's own bytes cannot hold; a Send To shortcut that could not be made or
// taken away; an extension no archive name can end in.
#define IDS_CANNOT_WRITE_CHARACTERS 160
#define IDS_SENDTO_NOT_MADE 161
#define IDS_SENDTO_NOT_REMOVED 162
#define IDS_BAD_EXTENSION 163
// A batch that can be left: the reason of its power request, the menu's pause, the strip's word
// for a paused batch.
#define IDS_POWER_REASON 190
#define IDS_MENU_PAUSE 191
#define IDS_MENU_RESUME 192
#define IDS_STRIP_PAUSED 193
