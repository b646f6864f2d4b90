#include "win/SystemLibrary.h"
#include <commctrl.h>
#include <mmsystem.h>
#include <usp10.h>
#include <stdexcept>
#include <string>

namespace win {

namespace {

constexpr DWORD SEARCH_SYSTEM32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// A system DLL, loaded once and kept for the life of the process.
class SystemDll {
public:
    explicit SystemDll(const char* name) : name_(name) {}

    template <class Function>
    Function function(const char* name) {
        if (!module_) module_ = LoadLibraryExA(name_, nullptr, SEARCH_SYSTEM32);
        if (!module_) throw std::runtime_error(std::string("cannot load ") + name_);
        FARPROC address = GetProcAddress(module_, name);
        if (!address) throw std::runtime_error(std::string("no ") + name + " in " + name_);
        return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    }

private:
    const char* name_;
    HMODULE module_ = nullptr;
};

SystemDll comctl32("comctl32.dll");
SystemDll version("version.dll");
SystemDll winmm("winmm.dll");
SystemDll usp10("usp10.dll");

}  // namespace

FARPROC kernel32Function(const char* name) { return GetProcAddress(GetModuleHandleA("kernel32.dll"), name); }

// SetDefaultDllDirectories is not in every kernel32 (Windows 7 has it with its
// security updates): taken by name, so that its absence is our failure
// message and not the loader's refusal to start.
void restrictDllSearch(FunctionLookup lookup) {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    FARPROC address = lookup("SetDefaultDllDirectories");
    if (!address) throw std::runtime_error("no SetDefaultDllDirectories");
    auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(address));
    if (!setDefaultDllDirectories(SEARCH_SYSTEM32)) throw std::runtime_error("SetDefaultDllDirectories");
}

void initCommonControls(DWORD classes) {
    static auto init = comctl32.function<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>("InitCommonControlsEx");
    static DWORD registered = 0;  // every dialog asks before it is created
    if ((classes & ~registered) == 0) return;
    INITCOMMONCONTROLSEX controls = {sizeof controls, classes};
    if (init(&controls)) registered |= classes;
}

int scriptText(HDC dc, const wchar_t* text, int length, bool draw, int x, int y) {
    static auto analyse = usp10.function<decltype(&ScriptStringAnalyse)>("ScriptStringAnalyse");
    static auto out = usp10.function<decltype(&ScriptStringOut)>("ScriptStringOut");
    static auto size = usp10.function<decltype(&ScriptString_pSize)>("ScriptString_pSize");
    static auto release = usp10.function<decltype(&ScriptStringFree)>("ScriptStringFree");
    SCRIPT_STRING_ANALYSIS run = nullptr;
    if (FAILED(analyse(dc, text, length, length * 3 / 2 + 16, -1, SSA_GLYPHS | SSA_FALLBACK, 0, nullptr, nullptr,
                       nullptr, nullptr, nullptr, &run)))
        return -1;
    const int width = size(run)->cx;
    if (draw) out(run, x, y, 0, nullptr, 0, 0, FALSE);
    release(&run);
    return width;
}

DWORD getFileVersionInfoSize(const char* path) {
    static auto size = version.function<DWORD(WINAPI*)(LPCSTR, LPDWORD)>("GetFileVersionInfoSizeA");
    DWORD unused = 0;
    return size(path, &unused);
}

bool getFileVersionInfo(const char* path, DWORD size, void* block) {
    static auto get = version.function<BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID)>("GetFileVersionInfoA");
    return get(path, 0, size, block) != FALSE;
}

bool verQueryValue(const void* block, const char* name, void** value, UINT* length) {
    static auto query = version.function<BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT)>("VerQueryValueA");
    return query(block, name, value, length) != FALSE;
}

void playEventSound(const wchar_t* alias) {
    static auto play = winmm.function<BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD)>("PlaySoundW");
    if (!play(alias, nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT)) MessageBeep(MB_ICONASTERISK);
}

}  // namespace win
