// The program's private window messages: the protocol between the resident
// window and its memos.
#pragma once
#include <windows.h>

const UINT WM_TRAY_CALLBACK = WM_USER + 100;    // the tray icon's mouse activity (lParam)
const UINT WM_SAVE_REQUEST = WM_USER + 101;     // a memo asks for the data file to be written now
const WPARAM SAVE_AFTER_DELETE = 1;             // WM_SAVE_REQUEST's wParam: a tab or the memo was deleted
const UINT WM_RELOAD_SETTINGS = WM_USER + 102;  // a memo re-reads the settings files
const UINT WM_SAVE_FAILED = WM_USER + 103;      // the resident window tells a failed save
// The resident window tells what the data file's owner has not told yet:
// another program's versions kept by a save, rescue files of an earlier run.
const UINT WM_TELL_UNTOLD = WM_USER + 104;
// A memo tells the resident window of a find key: wParam FIND_OPEN (Ctrl+F),
// FIND_NEXT (F3) or FIND_PREVIOUS (Shift+F3).
const UINT WM_FIND_KEY = WM_USER + 105;
const WPARAM FIND_OPEN = 0, FIND_NEXT = 1, FIND_PREVIOUS = 2;
// The find window searches again once the memos' changes are done.
const UINT WM_FIND_REFRESH = WM_USER + 106;
// A memo whose reminder is due was touched: it offers 完了 and the snoozes.
const UINT WM_DUE_MENU = WM_USER + 107;
