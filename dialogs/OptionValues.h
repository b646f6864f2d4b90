// What the options dialog's general page reads from and writes to its
// controls, window-free.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include "store/Settings.h"

// The snap width as typed: leading white space, an optional sign, then digits;
// no digits give 0 and a negative number gives its absolute value. No upper
// limit, but a number beyond the 32-bit range stays at the largest int.
int32_t snapWidthFromText(std::string_view text);

// The hot-key control's value (HKM_SETHOTKEY) that shows an entry: the low
// byte of its key, and above it the control's flags for its modifiers, with
// HOTKEYF_EXT for the keys that Windows reports as extended, so that Insert
// is not shown as the keypad's 0.
uint16_t hotKeyControlValue(const HotKeyEntry& entry);

// Stores the hot-key control's value (HKM_GETHOTKEY) into an entry. Flags that
// RegisterHotKey has no modifier for, HOTKEYF_EXT among them, are dropped. A
// value of modifiers alone is a key not finished (Shift held by Shift+Tab
// leaving the control): the entry keeps its key, and false says so.
bool storeHotKeyControlValue(uint16_t value, HotKeyEntry& entry);

// The page a key switches to, as in every property sheet: Ctrl+Tab and
// Ctrl+Page Down the next, Ctrl+Shift+Tab and Ctrl+Page Up the previous, round
// the `count` pages; -1 for any other key.
int switchedPage(uint32_t virtualKey, bool ctrl, bool shift, int current, int count);

// The Run key's command that starts the program file `path` at logon: the
// path in quotes, so that a folder name with a blank starts no other program.
std::wstring startCommand(const std::wstring& path);
// The program file that a Run key's command starts: the quoted path, or the
// command up to its first blank.
std::wstring startedProgram(const std::wstring& command);
