// The system DLLs that Windows does not always take from its own folder.
// A portable program is started from Downloads, a stick or a synced folder,
// and that folder is searched first for every DLL that is not a known DLL:
// such DLLs are loaded here, from the system folder only, and their functions
// taken by name. The program file imports none of them.
#pragma once
#include <windows.h>

namespace win {

// Limits the process's DLL search to the system folder. The program's first
// call: every later load, its own and the system's, follows it.
void restrictDllSearch();

// The functions below throw std::runtime_error when their DLL or function
// cannot be had: an unexpected failure for the program.

// comctl32.dll: registers the window classes of the common controls named by
// the ICC_ flags (InitCommonControlsEx), once each.
void initCommonControls(DWORD classes);

// version.dll
DWORD getFileVersionInfoSize(const char* path);
bool getFileVersionInfo(const char* path, DWORD size, void* block);
bool verQueryValue(const void* block, const char* name, void** value, UINT* length);

}  // namespace win
