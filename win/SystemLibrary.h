// The system DLLs that Windows does not always take from its own folder.
// A portable program is started from Downloads, a stick or a synced folder,
// and that folder is searched first for every DLL that is not a known DLL:
// such DLLs are loaded here, from the system folder only, and their functions
// taken by name. The program file imports none of them.
#pragma once
#include <windows.h>

namespace win {

// A kernel32 function by name (GetProcAddress), or null.
FARPROC kernel32Function(const char* name);
using FunctionLookup = FARPROC (*)(const char* name);

// Limits the process's DLL search to the system folder, with the
// SetDefaultDllDirectories that `lookup` finds. Every later load, the
// program's and the system's, follows it: see startProcess.
void restrictDllSearch(FunctionLookup lookup);

// The functions below throw std::runtime_error when their DLL or function
// cannot be had: an unexpected failure for the program.

// comctl32.dll: registers the window classes of the common controls named by
// the ICC_ flags (InitCommonControlsEx), once each.
void initCommonControls(DWORD classes);

// usp10.dll: `length` units of `text` as the edit control draws them (Uniscribe,
// a pair as one glyph, marks on their character, fallback fonts): their width,
// drawn at x, y when `draw`; -1 when they cannot be analysed.
int scriptText(HDC dc, const wchar_t* text, int length, bool draw, int x = 0, int y = 0);

// version.dll
DWORD getFileVersionInfoSize(const char* path);
bool getFileVersionInfo(const char* path, DWORD size, void* block);
bool verQueryValue(const void* block, const char* name, void** value, UINT* length);

// winmm.dll: plays the sound the user chose for the system event `alias`
// once, without waiting; the default beep when there is none.
void playEventSound(const wchar_t* alias);

}  // namespace win
