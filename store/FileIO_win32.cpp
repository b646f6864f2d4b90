// File calls on Windows: the only unit of the store that includes windows.h.
#include <windows.h>
#include <new>
#include <stdexcept>
#include "store/FileSystem.h"

namespace fileio::os {

struct File {
    HANDLE handle;
};

namespace {

bool heldByAnother(DWORD error) {
    // A file open elsewhere without sharing refuses with one of these.
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

}  // namespace

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
    return heldByAnother(GetLastError()) ? Outcome::Busy : Outcome::Failed;
}

void remove(const char* fileName) { DeleteFileA(fileName); }

}  // namespace fileio::os
