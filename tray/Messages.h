// The program's private window messages.
#pragma once
#include <windows.h>

const UINT WM_TRAY_CALLBACK = WM_USER + 100;    // the tray icon's mouse activity (lParam)
const UINT WM_SAVE_REQUEST = WM_USER + 101;     // a memo asks for the data file to be written now
const UINT WM_RELOAD_SETTINGS = WM_USER + 102;  // a memo re-reads the settings files
const UINT WM_SAVE_FAILED = WM_USER + 103;      // the resident window tells a failed save
