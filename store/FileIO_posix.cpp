// File calls on POSIX systems (the native build: tests, benchmarks, fuzzing).
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include "store/FileSystem.h"

namespace fileio::os {

const char PATH_SEPARATOR = '/';

struct File {
    int fd;
};

namespace {

int openRetrying(const char* name, int flags, mode_t mode = 0) {
    int fd;
    do fd = ::open(name, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The folder that holds `fileName`, for syncing its entry after a rename.
std::string folderOf(const char* fileName) {
    std::string name(fileName);
    size_t slash = name.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : name.substr(0, slash);
}

}  // namespace

Cause lastCause() {
    switch (errno) {
    case EBUSY:
    case ETXTBSY: return Cause::Held;
    case ENOSPC:
    case EDQUOT: return Cause::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS: return Cause::NoAccess;
    default: return Cause::Other;
    }
}

Outcome readAll(const char* fileName, std::string& out) {
    int fd = openRetrying(fileName, O_RDONLY);
    if (fd < 0) return (errno == ENOENT || errno == ENOTDIR) ? Outcome::Missing : Outcome::Failed;
    Outcome outcome = Outcome::Ok;
    try {
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            outcome = Outcome::Failed;
        } else {
            out.reserve(size_t(st.st_size));
            char buf[64 * 1024];
            for (;;) {
                ssize_t n = ::read(fd, buf, sizeof buf);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) outcome = Outcome::Failed;
                if (n <= 0) break;
                out.append(buf, size_t(n));
            }
        }
    } catch (const std::bad_alloc&) {
        outcome = Outcome::Failed;
    } catch (const std::length_error&) {
        outcome = Outcome::Failed;
    }
    ::close(fd);
    return outcome;
}

bool isReadOnly(const char* fileName) {
    // The owner's write permission stands for the read-only attribute (root
    // could write regardless, so access() would not tell).
    struct stat st;
    return ::stat(fileName, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

File* create(const char* fileName) {
    int fd = openRetrying(fileName, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    return fd < 0 ? nullptr : new File{fd};
}

size_t write(File* file, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(file->fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    return done;
}

bool flush(File* file) { return ::fsync(file->fd) == 0; }

bool close(File* file) {
    int rc = ::close(file->fd);
    delete file;
    return rc == 0;
}

std::string fullPath(const char* name) {
    if (name[0] == '/') return name;
    char here[4096];
    return ::getcwd(here, sizeof here) ? std::string(here) + "/" + name : std::string(name);
}

bool heldByAnother(const char* fileName) { return ::access(fileName, W_OK) == 0; }

Outcome rename(const char* from, const char* to) {
    if (::rename(from, to) != 0) return errno == EBUSY ? Outcome::Busy : Outcome::Failed;
    // Make the new directory entry durable too. The file is already in place,
    // so a failure here cannot be undone and is not reported.
    int dir = openRetrying(folderOf(to).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Outcome::Ok;
}

void remove(const char* fileName) { ::unlink(fileName); }

Kind kindOf(const char* name) {
    struct stat st;
    if (::stat(name, &st) != 0) return Kind::None;
    return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::File;
}

bool link(const char* existing, const char* newName) { return ::link(existing, newName) == 0; }

bool copyNew(const char* from, const char* to) {
    std::string bytes;
    if (readAll(from, bytes) != Outcome::Ok) return false;
    int fd = openRetrying(to, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0) return false;
    File file{fd};
    bool ok = write(&file, bytes.data(), bytes.size()) == bytes.size() && flush(&file);
    ok = ::close(fd) == 0 && ok;
    if (!ok) ::unlink(to);
    return ok;
}

namespace {

LocalTime toLocalTime(time_t t) {
    struct tm local {};
    localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace

bool lastWriteTime(const char* fileName, LocalTime& out) {
    struct stat st;
    if (::stat(fileName, &st) != 0) return false;
    out = toLocalTime(st.st_mtime);
    return true;
}

bool sizeAndWriteTime(const char* fileName, uint64_t& size, uint64_t& writeTime) {
    struct stat st;
    if (::stat(fileName, &st) != 0) return false;
    size = uint64_t(st.st_size);
    writeTime = uint64_t(st.st_mtim.tv_sec) * 10000000u + uint64_t(st.st_mtim.tv_nsec) / 100;
    return true;
}

bool makeFolder(const char* name) { return ::mkdir(name, 0777) == 0 || kindOf(name) == Kind::Folder; }

bool listFiles(const char* folder, std::vector<std::string>& names) {
    DIR* dir = ::opendir(folder);
    if (!dir) return false;
    const std::string prefix = std::string(folder) + PATH_SEPARATOR;
    while (const dirent* entry = ::readdir(dir)) {
        if (kindOf((prefix + entry->d_name).c_str()) == Kind::File) names.push_back(entry->d_name);
    }
    ::closedir(dir);
    return true;
}

LocalTime localNow() { return toLocalTime(::time(nullptr)); }

int utcOffsetMinutes() {
    const time_t t = ::time(nullptr);
    struct tm local {};
    localtime_r(&t, &local);
    return int(local.tm_gmtoff / 60);
}

std::string computerName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

std::vector<std::string> userFolders() {
    std::vector<std::string> folders;
    if (const char* home = ::getenv("HOME")) folders.push_back(home);
    const char* temp = ::getenv("TMPDIR");
    folders.push_back(temp && *temp ? temp : "/tmp");
    return folders;
}

std::string localFolder() {
    const char* home = ::getenv("HOME");
    return home && *home ? home : "/tmp";
}

}  // namespace fileio::os
