#include "store/FileIO.h"
#include <algorithm>
#include <chrono>
#include <thread>
#include "store/FileSystem.h"
#include "store/Reminder.h"

namespace fileio {

namespace {

unsigned long g_failStep = 0;
unsigned long g_steps = 0;

// Counts one step of replaceFile; true when the test hook makes it fail.
bool injectedFailure() { return ++g_steps == g_failStep; }

using Clock = std::chrono::steady_clock;
constexpr auto RETRY_PAUSE = std::chrono::milliseconds(50);
// Another program holding the file being replaced is waited for this long.
constexpr auto REPLACE_PATIENCE = std::chrono::milliseconds(300);

// Why a step failed: an injected failure is Other, the system's is read from its error.
SaveFailure failedStep(bool injected) {
    if (injected) return SaveFailure::Other;
    switch (os::lastCause()) {
    case os::Cause::Held: return SaveFailure::Held;
    case os::Cause::DiskFull: return SaveFailure::DiskFull;
    case os::Cause::NoAccess: return SaveFailure::NoAccess;
    case os::Cause::Other: break;
    }
    return SaveFailure::Other;
}

// Each step answers None or why it failed.
SaveFailure writeAll(os::File* file, const std::string& data) {
    for (size_t pos = 0; pos < data.size(); pos += WRITE_CHUNK_SIZE) {
        size_t size = std::min(WRITE_CHUNK_SIZE, data.size() - pos);
        size_t want = size;
        const bool injected = injectedFailure();
        if (injected) size /= 2;
        // Fewer bytes than asked is a failure, even when the system called it a success.
        if (os::write(file, data.data() + pos, size) != want) return failedStep(injected);
    }
    return SaveFailure::None;
}

SaveFailure moveOver(const std::string& from, const char* to) {
    if (injectedFailure()) return failedStep(true);
    const auto giveUp = Clock::now() + REPLACE_PATIENCE;
    for (;;) {
        os::Outcome outcome = os::rename(from.c_str(), to);
        if (outcome == os::Outcome::Ok) return SaveFailure::None;
        if (outcome != os::Outcome::Busy) return failedStep(false);
        if (Clock::now() >= giveUp) return os::heldByAnother(to) ? SaveFailure::Held : SaveFailure::NoAccess;
        std::this_thread::sleep_for(RETRY_PAUSE);
    }
}

// Windows refuses to replace a read-only file, but not every system that
// runs the program does: check by hand.
SaveFailure replaceFileWhy(const char* fileName, const std::string& data, const std::function<void()>& beforeMove) {
    if (os::isReadOnly(fileName)) return SaveFailure::ReadOnly;
    const std::string temp = std::string(fileName) + ".tmp";
    bool injected = injectedFailure();
    os::File* file = injected ? nullptr : os::create(temp.c_str());
    SaveFailure failure = file ? writeAll(file, data) : failedStep(injected);
    if (file) {
        if (failure == SaveFailure::None && ((injected = injectedFailure()) || !os::flush(file)))
            failure = failedStep(injected);
        const bool closed = os::close(file);
        injected = injectedFailure();  // the close is counted, whatever came before
        if (failure == SaveFailure::None && (injected || !closed)) failure = failedStep(injected);
    }
    if (failure == SaveFailure::None) {
        if (beforeMove) beforeMove();
        failure = moveOver(temp, fileName);
    }
    if (failure != SaveFailure::None) os::remove(temp.c_str());
    // Each step in a folder that is gone fails with an error of its own kind.
    const std::string folder = besideFile(fileName, ".");
    if (failure != SaveFailure::None && os::kindOf(folder.c_str()) != os::Kind::Folder) return SaveFailure::FolderMissing;
    return failure;
}

}  // namespace

void failStepForTest(unsigned long step) {
    g_failStep = step;
    g_steps = 0;
}

unsigned long stepsSinceFailStepForTest() { return g_steps; }

ReadStatus readWholeFile(const char* fileName, std::string& out, unsigned patienceMs) {
    const auto giveUp = Clock::now() + std::chrono::milliseconds(patienceMs);
    for (;;) {
        out.clear();
        switch (os::readAll(fileName, out)) {
        case os::Outcome::Ok: return ReadStatus::Ok;
        case os::Outcome::Missing: return ReadStatus::Missing;
        case os::Outcome::Busy:
        case os::Outcome::Failed: break;
        }
        if (Clock::now() >= giveUp) {
            out.clear();
            return ReadStatus::Unreadable;
        }
        std::this_thread::sleep_for(RETRY_PAUSE);
    }
}

bool replaceFile(const char* fileName, const std::string& data, const std::function<void()>& beforeMove,
                 SaveFailure* why) {
    SaveFailure failure = replaceFileWhy(fileName, data, beforeMove);
    if (why) *why = failure;
    return failure == SaveFailure::None;
}

std::string besideFile(const char* fileName, const std::string& name) {
    const std::string file(fileName);
    // Windows takes either slash in a path.
    const size_t end = file.find_last_of(os::PATH_SEPARATOR == '/' ? "/" : "/\\");
    return end == std::string::npos ? name : file.substr(0, end + 1) + name;
}

std::string inFolder(const std::string& folder, const std::string& name) { return folder + os::PATH_SEPARATOR + name; }

KeepOutcome keepFileAs(const char* from, const char* to) {
    if (os::kindOf(to) != os::Kind::None) return KeepOutcome::Exists;
    if (os::kindOf(from) != os::Kind::File) return KeepOutcome::Missing;
    if (!injectedFailure() && os::link(from, to)) return KeepOutcome::Made;
    return !injectedFailure() && os::copyNew(from, to) ? KeepOutcome::Made : KeepOutcome::Failed;
}

bool sameContent(const char* a, const char* b) {
    uint64_t sizeA, sizeB, time;
    if (!os::sizeAndWriteTime(a, sizeA, time) || !os::sizeAndWriteTime(b, sizeB, time) || sizeA != sizeB) return false;
    std::string bytesA, bytesB;
    return readWholeFile(a, bytesA, 0) == ReadStatus::Ok && readWholeFile(b, bytesB, 0) == ReadStatus::Ok &&
           bytesA == bytesB;
}

bool lastWriteTime(const char* fileName, LocalTime& out) { return os::lastWriteTime(fileName, out); }

bool sizeAndWriteTime(const char* fileName, uint64_t& size, uint64_t& writeTime) {
    return os::sizeAndWriteTime(fileName, size, writeTime);
}

bool makeFolder(const char* folder) { return os::makeFolder(folder); }

std::vector<std::string> filesIn(const char* folder) {
    std::vector<std::string> names;
    if (!os::listFiles(folder, names)) names.clear();
    return names;
}

void removeFile(const char* fileName) { os::remove(fileName); }

LocalTime localNow() { return os::localNow(); }

std::string computerName() {
    std::string out;
    for (const unsigned char c : os::computerName()) {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '-') {
            out += char(c);
        } else {
            static const char hex[] = "0123456789ABCDEF";
            out += {'%', hex[c >> 4], hex[c & 15]};
        }
    }
    return out.empty() ? "PC" : out;
}

std::vector<std::string> userFolders() { return os::userFolders(); }

std::string localFolder() {
    const std::string base = os::localFolder();
    if (base.empty()) return base;
    const std::string folder = inFolder(base, "Quillpad");
    return makeFolder(folder.c_str()) ? folder : std::string();
}

std::string fullPath(const char* name) { return os::fullPath(name); }

}  // namespace fileio

const WallClock& systemClock() {
    struct SystemClock : WallClock {
        ClockReading now() const override { return {fileio::os::localNow(), fileio::os::utcOffsetMinutes()}; }
    };
    static const SystemClock clock;
    return clock;
}
