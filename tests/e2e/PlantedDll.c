/* A stand-in for a DLL planted beside the program: loaded into a process, it
   leaves the file "<its own path>.loaded" and does nothing else. */
#include <windows.h>
#include <string.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH + 8] = "";
        DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
        strcpy(path + length, ".loaded");
        HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    }
    return TRUE;
}
