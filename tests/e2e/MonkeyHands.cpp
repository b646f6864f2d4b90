// What the random session needs from inside Wine, where xdotool cannot reach:
//
//   monkey_hands hold FILE     another program that holds FILE open without
//                              sharing: prints "held", lets go at the end of
//                              its input, prints "released"
//   monkey_hands boxes NAME    the message boxes that the program of this
//                              file name shows, one a line: "X Y WIDTH
//                              HEIGHT KIND", KIND cannot-save, question or
//                              other (then its text)
//   monkey_hands editing NAME  its memos in edit mode, one a line: "X Y
//                              WIDTH HEIGHT"
//   monkey_hands objects NAME  its USER and GDI objects
#include <windows.h>
#include <winternl.h>
#include <tlhelp32.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "res/Texts.h"
#include "res/resource.h"
#include "tests/win/TestSupport.h"

using namespace testing_support;

namespace {

int hold(const char* file) {
    HANDLE held = CreateFileA(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        std::printf("failed %lu\n", GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
    }
    CloseHandle(held);
    std::printf("released\n");
    return 0;
}

bool endsWith(const std::string& s, const char* end) {
    const size_t n = std::strlen(end);
    return s.size() >= n && s.compare(s.size() - n, n, end) == 0;
}

const char* kindOf(const std::string& text) {
    if (text.find(texts::RESCUE_QUESTION_START) != std::string::npos) return "rescue-question";
    if (text.compare(0, std::strlen(texts::CANNOT_SAVE), texts::CANNOT_SAVE) == 0) return "cannot-save";
    if (text == texts::DELETE_ALL_QUESTION || text == texts::RESET_COLORS_QUESTION ||
        endsWith(text, texts::DELETE_QUESTION_END)) {
        return "question";
    }
    return "other";
}

struct Owned {
    DWORD pid;
    int windows;
};

BOOL CALLBACK printBox(HWND hwnd, LPARAM param) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (owner != static_cast<DWORD>(param) || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    if (!GetDlgItem(hwnd, 0xFFFF)) return TRUE;  // a dialog, not a box
    const MessageBoxSeen box = readMessageBox(hwnd);
    RECT r;
    GetWindowRect(hwnd, &r);
    const char* kind = kindOf(box.text);
    std::printf("%ld %ld %ld %ld %s", r.left, r.top, r.right - r.left, r.bottom - r.top, kind);
    if (std::strcmp(kind, "other") == 0) std::printf(" %s", box.text.c_str());
    std::printf("\n");
    return TRUE;
}

BOOL CALLBACK printEditing(HWND hwnd, LPARAM param) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != static_cast<DWORD>(param) || !IsWindowVisible(hwnd)) return TRUE;
    HWND editor = GetDlgItem(hwnd, IDC_MEMO_EDITOR);
    if (!editor || !IsWindowVisible(editor)) return TRUE;
    RECT r;
    GetWindowRect(hwnd, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return TRUE;
}

BOOL CALLBACK countChild(HWND, LPARAM param) {
    ++reinterpret_cast<Owned*>(param)->windows;
    return TRUE;
}

BOOL CALLBACK countWindows(HWND hwnd, LPARAM param) {
    auto* owned = reinterpret_cast<Owned*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != owned->pid) return TRUE;
    ++owned->windows;
    EnumChildWindows(hwnd, countChild, param);
    return TRUE;
}

// The GDI handle table that Wine, like Windows, keeps for each process and
// points to from its PEB: the entries in use.
struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 userPointer;
};
const int kGdiHandles = 16384;

int gdiTableCount(HANDLE process) {
    PROCESS_BASIC_INFORMATION info = {};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return -1;
    ULONG table = 0;
    const SIZE_T tableField = 0x94;  // PEB.GdiSharedHandleTable of a 32-bit process
    if (!ReadProcessMemory(process, reinterpret_cast<BYTE*>(info.PebBaseAddress) + tableField, &table, sizeof table,
                           nullptr) ||
        !table) {
        return -1;
    }
    static GdiHandleEntry entries[kGdiHandles];
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(static_cast<ULONG_PTR>(table)), entries, sizeof entries,
                           nullptr)) {
        return -1;
    }
    int used = 0;
    for (const GdiHandleEntry& e : entries) used += e.type != 0;
    return used;
}

int objects(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) {
        std::printf("failed %lu\n", GetLastError());
        return 1;
    }
    SetLastError(0);
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD error = GetLastError();
    Owned owned{pid, 0};
    EnumWindows(countWindows, reinterpret_cast<LPARAM>(&owned));
    std::printf("GetGuiResources user %lu gdi %lu error %lu; windows %d; GDI table %d\n", user, gdi, error,
                owned.windows, gdiTableCount(process));
    CloseHandle(process);
    return 0;
}

// The process of the program with this file name (Wine's process ids are not
// the shell's), or 0.
DWORD processNamed(const char* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD pid = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !pid; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, name) == 0) pid = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return pid;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "hold") == 0) return hold(argv[2]);
    const DWORD pid = argc == 3 ? processNamed(argv[2]) : 0;
    if (argc == 3 && std::strcmp(argv[1], "boxes") == 0) {
        EnumWindows(printBox, pid);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "editing") == 0) {
        EnumWindows(printEditing, pid);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "objects") == 0) return objects(pid);
    std::fprintf(stderr, "usage: monkey_hands hold FILE | boxes NAME | editing NAME | objects NAME\n");
    return 2;
}
