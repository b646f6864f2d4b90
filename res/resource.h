// Resource identifiers of Quillpad.exe: dialog templates, menus, icons,
// menu commands and control ids. Shared by the resource script and the code.
#pragma once

// Version strings of the version block. The version dialog's template shows
// the same copyright line until it reads the block; the line must fit the
// dialog's 95 units of width.
#define QUILLPAD_VERSION    "2.7.1"
#define QUILLPAD_COPYRIGHT  "Copyright (C) 2026 Quillpad"

// Controls that are never addressed
#ifndef IDC_STATIC
#define IDC_STATIC         (-1)
#endif

// Dialog templates
#define IDD_VERSION        102
#define IDD_MEMO           129
#define IDD_OPTION         131
#define IDD_COLORSET       136
#define IDD_MEMO_PAGE      139
#define IDD_GENERAL_PAGE   140
#define IDD_RESTORE        141
#define IDD_FIND           142
#define IDD_REMINDER       143

// Menus
#define IDR_MEMO_MENU      130
#define IDR_TRAY_MENU      132
#define IDR_DUE_MENU       133

// Icons
#define IDI_APP            128
#define IDI_TRAY           137
#define IDI_TRAY_WARNING   138  // the tray icon while the notes are not saved

// Tray menu (popup "システム")
#define ID_DELETE_ALL      32784
#define ID_ADD_MEMO        32774
#define ID_FIND            32801
#define ID_OPTION          32781
#define ID_RESTORE         32800
#define ID_VERSION         32777
#define ID_EXIT            32775

// Memo menu (popup "編集", sub-popup "プロパティ(&O)")
#define ID_ADD_TAB         32778
#define ID_DELETE_TAB      32780
#define ID_DELETE_MEMO     32772
#define ID_CHANGE_COLOR    32793
#define ID_SHOW_TAB        32792
#define ID_WORDWRAP        32794
#define ID_TOPMOST         32786
#define ID_FIX_POSITION    32799
#define ID_REMINDER        32802

// A due memo's menu (popup "アラーム")
#define ID_DUE_DONE        32810
#define ID_SNOOZE_5        32811
#define ID_SNOOZE_10       32812
#define ID_SNOOZE_30       32813
#define ID_SNOOZE_HOUR     32814
#define ID_SNOOZE_TOMORROW 32815

// Memo window (template 129)
#define IDC_MEMO_EDITOR        1000
#define IDC_MEMO_TAB_TITLE     1001
#define IDC_MEMO_TEXT          1002
#define IDC_MEMO_TAB_LABEL     1003
#define IDC_MEMO_CAPTION       1004
#define IDC_MEMO_CAPTION_EDIT  1005
#define IDC_MEMO_TABS          1020

// Version dialog (template 102)
#define IDC_VERSION_NAME       1003
#define IDC_VERSION_COPYRIGHT  1004

// Colour dialog (template 136)
#define IDC_COLOR_CAPTION_PREVIEW  1027
#define IDC_COLOR_MEMO_PREVIEW     1028
#define IDC_COLOR_CAPTION_TEXT     1029
#define IDC_COLOR_CAPTION_BACK     1017
#define IDC_COLOR_MEMO_TEXT        1013
#define IDC_COLOR_MEMO_BACK        1014
#define IDC_COLOR_RESET            1018

// Options dialog (template 131)
#define IDC_OPTION_TABS            1032

// General page (template 140)
#define IDC_GENERAL_TAB_MODE       1028
#define IDC_GENERAL_DEL_CHECK      1026
#define IDC_GENERAL_TEXT_SELECT    1025
#define IDC_GENERAL_ABSORB         1035
#define IDC_GENERAL_ABSORB_SPIN    1036
#define IDC_GENERAL_HOTKEY_LIST    1034
#define IDC_GENERAL_HOTKEY         1033
#define IDC_GENERAL_START_AT_LOGON 1037
#define IDC_GENERAL_START_NOTE     1038

// Memo page (template 139)
#define IDC_MEMOPAGE_CAPTION_PREVIEW  1015
#define IDC_MEMOPAGE_MEMO_PREVIEW     1012
#define IDC_MEMOPAGE_SET_COLORS       1018
#define IDC_MEMOPAGE_NOT_SHOW_TAB     1027
#define IDC_MEMOPAGE_WORDWRAP         1029

// Restore dialog (template 141)
#define IDC_RESTORE_LIST      1040
#define IDC_RESTORE_PREVIEW   1041
#define IDC_RESTORE_ADD       1042

// Find window (template 142)
#define IDC_FIND_TEXT         1050
#define IDC_FIND_COUNT        1051
#define IDC_FIND_LIST         1052

// Reminder dialog (template 143)
#define IDC_REMINDER_DATE     1060
#define IDC_REMINDER_TIME     1061
#define IDC_REMINDER_REPEAT   1062
#define IDC_REMINDER_CLEAR    1063
