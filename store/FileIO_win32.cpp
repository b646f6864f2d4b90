// File calls on Windows: the only unit of the store that includes windows.h.
#include <windows.h>
#include <shlobj.h>
#include <new>
#include <stdexcept>
#include "store/FileSystem.h"

namespace fileio::os {

const char PATH_SEPARATOR = '\\';

struct File {
    HANDLE handle;
};

namespace {

bool refusedAsHeld(DWORD error) {
    // A file open elsewhere without sharing refuses with one of these.
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

}  // namespace

Cause lastCause() {
    switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return Cause::Held;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return Cause::DiskFull;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return Cause::NoAccess;
    default: return Cause::Other;
    }
}

Outcome readAll(const char* fileName, std::string& out) {
    // Shared for reading only: nobody writes the file while it is read.
    HANDLE h = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Outcome::Missing;
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? Outcome::Busy : Outcome::Failed;
    }
    Outcome outcome = Outcome::Ok;
    try {
        LARGE_INTEGER size;
        if (GetFileSizeEx(h, &size) && size.QuadPart > 0) {
            if (static_cast<unsigned long long>(size.QuadPart) > out.max_size()) throw std::bad_alloc();
            out.reserve(size_t(size.QuadPart));
        }
        char buf[64 * 1024];
        for (;;) {
            DWORD n = 0;
            if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
                outcome = GetLastError() == ERROR_LOCK_VIOLATION ? Outcome::Busy : Outcome::Failed;
                break;
            }
            if (n == 0) break;
            out.append(buf, n);
        }
    } catch (const std::bad_alloc&) {
        outcome = Outcome::Failed;
    } catch (const std::length_error&) {
        outcome = Outcome::Failed;
    }
    CloseHandle(h);
    return outcome;
}

bool isReadOnly(const char* fileName) {
    DWORD attributes = GetFileAttributesA(fileName);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

File* create(const char* fileName) {
    HANDLE h = CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : new File{h};
}

size_t write(File* file, const char* data, size_t size) {
    DWORD written = 0;
    if (!WriteFile(file->handle, data, DWORD(size), &written, nullptr)) return 0;
    return written;
}

bool flush(File* file) { return FlushFileBuffers(file->handle) != 0; }

bool close(File* file) {
    BOOL ok = CloseHandle(file->handle);
    delete file;
    return ok != 0;
}

Outcome rename(const char* from, const char* to) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return Outcome::Ok;
    return refusedAsHeld(GetLastError()) ? Outcome::Busy : Outcome::Failed;
}

// Wine refuses the replace of either with ERROR_ACCESS_DENIED; an open for
// writing that shares everything meets the holder's sharing, or the ban.
bool heldByAnother(const char* fileName) {
    HANDLE h = CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_ACCESS_DENIED;
    CloseHandle(h);
    return true;
}

void remove(const char* fileName) { DeleteFileA(fileName); }

std::string fullPath(const char* name) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(name, sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : std::string(name);
}

Kind kindOf(const char* name) {
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return Kind::None;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? Kind::Folder : Kind::File;
}

bool link(const char* existing, const char* newName) { return CreateHardLinkA(newName, existing, nullptr) != 0; }

bool copyNew(const char* from, const char* to) {
    if (CopyFileA(from, to, TRUE)) return true;
    // A copy that ran out of room may leave its start behind.
    if (GetLastError() != ERROR_FILE_EXISTS) DeleteFileA(to);
    return false;
}

bool lastWriteTime(const char* fileName, LocalTime& out) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(fileName, GetFileExInfoStandard, &data)) return false;
    // SystemTimeToTzSpecificLocalTime applies the daylight rule of that date,
    // FileTimeToLocalFileTime the one of today.
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&data.ftLastWriteTime, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return false;
    out = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    return true;
}

bool sizeAndWriteTime(const char* fileName, uint64_t& size, uint64_t& writeTime) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(fileName, GetFileExInfoStandard, &data)) return false;
    size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    writeTime = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool makeFolder(const char* name) {
    return CreateDirectoryA(name, nullptr) || kindOf(name) == Kind::Folder;
}

bool listFiles(const char* folder, std::vector<std::string>& names) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((std::string(folder) + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return true;
}

LocalTime localNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

int utcOffsetMinutes() {
    TIME_ZONE_INFORMATION zone;
    const DWORD which = GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias;
    if (which == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    if (which == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    return int(-bias);
}

std::string computerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::vector<std::string> userFolders() {
    std::vector<std::string> folders;
    char path[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK) folders.push_back(path);
    const DWORD length = GetTempPathA(sizeof path, path);
    if (length > 0 && length < sizeof path) {
        std::string temp(path, length);
        if (temp.size() > 3 && temp.back() == '\\') temp.pop_back();
        folders.push_back(temp);
    }
    return folders;
}

std::string localFolder() {
    char path[MAX_PATH];
    return SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK
               ? std::string(path)
               : std::string();
}

}  // namespace fileio::os
