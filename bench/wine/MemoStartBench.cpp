// Start-up with hundreds of memos, and at 500 memos a commit, the peak
// working set, the exit and a start with the settings file held by another
// program: Quillpad.exe against the floor of bare memo windows
// (memo_floor.exe beside this program), and against an earlier Quillpad.exe
// when one is named. Each program is started anew in the current directory,
// which this one fills with the data and settings files.
//   memo_start_bench QUILLPAD_EXE [SIZES [STARTS [BEFORE_EXE]]]    defaults: 100,500,1000 3
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>
#include "bench/wine/BenchSupport.h"
#include "res/resource.h"
#include "store/FileIO.h"
#include "store/Settings.h"
#include "res/Messages.h"

namespace {

// Commit, memory, exit and the held settings file are measured with this many
// memos (with the smallest size when the benchmark runs once).
int referenceSize = 500;
const int kCommits = 5;
// Starts with and without the held settings file, taken in pairs.
int heldPairs = 4;
const double kStartPatience = 180;  // seconds until a start counts as failed
const DWORD kExitPatienceMs = 30000;
const DWORD kSettleMs = 1000;  // after each program's end

BOOL CALLBACK collect(HWND hwnd, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hwnd);
    return TRUE;
}

bool hasClass(HWND hwnd, const char* name) {
    char cls[32] = {};
    return GetClassNameA(hwnd, cls, sizeof cls) && lstrcmpA(cls, name) == 0;
}

// The top-level windows of a thread in one round trip to Wine's server.
std::vector<HWND> threadWindows(DWORD thread) {
    std::vector<HWND> windows;
    EnumThreadWindows(thread, collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The class and style of another process's window cost a round trip each, so
// they are asked only once the thread has enough windows: with both programs
// on one CPU, polling must leave the measured one its time.
int visibleMemos(DWORD thread, int wanted) {
    std::vector<HWND> windows = threadWindows(thread);
    if (static_cast<int>(windows.size()) < wanted) return 0;
    int visible = 0;
    for (HWND w : windows) visible += IsWindowVisible(w) && hasClass(w, "#32770");
    return visible;
}

// A started program whose main thread creates the memo windows.
class Target {
public:
    explicit Target(std::string commandLine) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started_ = seconds();
        if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_)) {
            throw std::runtime_error("cannot start " + commandLine);
        }
    }
    // A program that is still running (the floor, or after a failure) is ended.
    ~Target() {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, kExitPatienceMs);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
        // Its windows are taken down after its end (the X server's windows
        // too): the next program's start must not pay for them.
        Sleep(kSettleMs);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    // Seconds from CreateProcess until `count` memo windows are visible.
    double waitForMemos(int count) const {
        for (;;) {
            if (visibleMemos(info_.dwThreadId, count) >= count) return seconds() - started_;
            // The wait is the pause between polls.
            if (seconds() - started_ > kStartPatience || WaitForSingleObject(info_.hProcess, 5) != WAIT_TIMEOUT) {
                throw std::runtime_error("the memos did not appear");
            }
        }
    }

    // Waits until the program has painted and waits for input.
    void settle() const {
        WaitForInputIdle(info_.hProcess, 20000);
        Sleep(200);
    }

    double peakMegabytes() const {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        if (!GetProcessMemoryInfo(info_.hProcess, &counters, sizeof counters)) return -1;
        return double(counters.PeakWorkingSetSize) / (1024 * 1024);
    }

    // The pixels Wine keeps for the visible memo windows, part of the working
    // set: four bytes each on a 24-bit display, in blocks of 32 by 32 pixels
    // from the window's corner, for the part of the window on the screen.
    double memoPixelsMegabytes() const {
        const LONG x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
        const RECT screen = {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
        double bytes = 0;
        for (HWND w : threadWindows(info_.dwThreadId)) {
            RECT r, shown;
            if (!IsWindowVisible(w) || !hasClass(w, "#32770") || !GetWindowRect(w, &r) || !IntersectRect(&shown, &r, &screen)) {
                continue;
            }
            const LONG left = (shown.left - r.left) & ~31, top = (shown.top - r.top) & ~31;
            const LONG right = std::max(left + 32, (shown.right - r.left + 31) & ~31);
            const LONG bottom = std::max(top + 32, (shown.bottom - r.top + 31) & ~31);
            bytes += 4.0 * (right - left) * (bottom - top);
        }
        return bytes / (1024 * 1024);
    }

    HWND residentWindow() const {
        for (HWND w : threadWindows(info_.dwThreadId)) {
            if (hasClass(w, "Quillpad:3")) return w;
        }
        throw std::runtime_error("no resident window");
    }

    // What a memo's commit asks for: the whole save, synchronously.
    double commitMs() const {
        HWND resident = residentWindow();
        double start = seconds();
        SendMessageA(resident, WM_SAVE_REQUEST, 0, 0);
        return (seconds() - start) * 1000;
    }

    // "終了(&X)" as the tray menu sends it, until the process has ended.
    double exitSeconds() const {
        HWND resident = residentWindow();
        double start = seconds();
        PostMessageA(resident, WM_COMMAND, ID_EXIT, 0);
        if (WaitForSingleObject(info_.hProcess, kExitPatienceMs) != WAIT_OBJECT_0) {
            throw std::runtime_error("Quillpad did not end");
        }
        return seconds() - start;
    }

private:
    PROCESS_INFORMATION info_ = {};
    double started_ = 0;
};

// The same bytes written the way the store replaces a file: a temporary file
// in pieces, flushed, closed and moved over the old one.
double plainWriteMs(const std::string& data) {
    double start = seconds();
    HANDLE file = CreateFileA("Plain.dat.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write Plain.dat.tmp");
    for (size_t pos = 0; pos < data.size(); pos += fileio::WRITE_CHUNK_SIZE) {
        DWORD written = 0;
        WriteFile(file, data.data() + pos, DWORD(std::min(fileio::WRITE_CHUNK_SIZE, data.size() - pos)), &written,
                  nullptr);
    }
    FlushFileBuffers(file);
    CloseHandle(file);
    MoveFileExA("Plain.dat.tmp", "Plain.dat", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    return (seconds() - start) * 1000;
}

// What one Quillpad.exe showed.
struct ProgramFigures {
    std::map<int, std::vector<double>> start;
    std::vector<double> peak, pixels, commit, exit;
    std::vector<double> firstCommit;  // the first of each start's commits
};

struct Figures {
    std::map<int, std::vector<double>> floorStart;
    ProgramFigures quillpad, before;
    std::vector<double> floorPeak, floorPixels, plainWrite;
    std::vector<double> heldStart, freeStart, heldDelay;  // the pairs of starts
    size_t fileBytes = 0;
};

// Seconds until the floor's `count` memos are visible; at the reference size
// its peak working set goes to `figures`.
double runFloor(const std::string& commandLine, int count, Figures* figures) {
    Target floor(commandLine + " " + std::to_string(count));
    double start = floor.waitForMemos(count);
    printf("  floor    %5d memos: %6.2f s\n", count, start);
    fflush(stdout);
    if (figures && count == referenceSize) {
        floor.settle();
        figures->floorPeak.push_back(floor.peakMegabytes());
        figures->floorPixels.push_back(floor.memoPixelsMegabytes());
    }
    return start;
}

void measureCommit(const Target& quillpad, ProgramFigures& program, Figures& figures) {
    for (int i = 0; i < kCommits; ++i) program.commit.push_back(quillpad.commitMs());
    program.firstCommit.push_back(program.commit[program.commit.size() - kCommits]);
    std::string bytes;
    if (fileio::readWholeFile(MEMO_FILE_NAME, bytes, 1000) != fileio::ReadStatus::Ok) {
        throw std::runtime_error("cannot read the saved data file");
    }
    figures.fileBytes = bytes.size();
    plainWriteMs(bytes);  // the file it replaces exists from now on, as the data file does
    for (int i = 0; i < kCommits; ++i) figures.plainWrite.push_back(plainWriteMs(bytes));
}

// The settings file opened by another program that shares it with nobody.
class HeldSettingsFile {
public:
    HeldSettingsFile() {
        file_ = CreateFileA(SETTINGS_FILE_NAME, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot hold the settings file");
    }
    ~HeldSettingsFile() { CloseHandle(file_); }
    HeldSettingsFile(const HeldSettingsFile&) = delete;
    HeldSettingsFile& operator=(const HeldSettingsFile&) = delete;

private:
    HANDLE file_;
};

// One start of a Quillpad.exe with `count` memos, then its exit: the seconds
// until the memos are visible. At the reference size its commits, peak working
// set and exit go to `program`. With `holdSettings` the settings file is held
// until the memos are visible.
double runQuillpad(const std::string& commandLine, int count, ProgramFigures* program, Figures* figures,
                   bool holdSettings = false) {
    writeBenchMemos(MEMO_FILE_NAME, count);
    std::optional<HeldSettingsFile> held;
    if (holdSettings) held.emplace();
    Target quillpad(commandLine);
    double start = quillpad.waitForMemos(count);
    held.reset();
    quillpad.settle();
    const bool reference = program && count == referenceSize && !holdSettings;
    if (reference) {
        measureCommit(quillpad, *program, *figures);
        program->peak.push_back(quillpad.peakMegabytes());
        program->pixels.push_back(quillpad.memoPixelsMegabytes());
    }
    double exit = quillpad.exitSeconds();
    printf("  %s %5d memos: %6.2f s%s, exit %.2f s\n", figures && program == &figures->before ? "before  " : "Quillpad", count,
           start, holdSettings ? " (settings held)" : "", exit);
    fflush(stdout);
    if (reference) program->exit.push_back(exit);
    return start;
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

void report(const Figures& f, int starts) {
    printf("\nStart until N memos are visible (3 tabs each; median of %d starts)\n", starts);
    printf("      N   floor s  Quillpad s   ratio   floor ms/memo  Quillpad ms/memo  Quillpad marginal ms/memo\n");
    int previousSize = 0;
    double previousTime = 0, firstMarginal = 0, lastMarginal = 0, ratioAtReference = 0;
    for (const auto& [size, times] : f.quillpad.start) {
        double floor = median(f.floorStart.at(size)), quillpad = median(times);
        double ratio = quillpad / floor;
        if (size == referenceSize) ratioAtReference = ratio;
        printf("  %5d  %8.2f  %10.2f  %6.2f  %14.2f  %16.2f", size, floor, quillpad, ratio, floor * 1000 / size,
               quillpad * 1000 / size);
        if (previousSize) {
            lastMarginal = (quillpad - previousTime) * 1000 / (size - previousSize);
            if (!firstMarginal) firstMarginal = lastMarginal;
            printf("  %25.2f", lastMarginal);
        }
        printf("\n");
        previousSize = size;
        previousTime = quillpad;
    }
    printf("  target: <= 1.0x the floor at %d: %s (%.2fx)\n", referenceSize, verdict(ratioAtReference <= 1.0),
           ratioAtReference);
    if (firstMarginal > 0) {
        double growth = lastMarginal / firstMarginal;
        printf("  target: time per memo flat (linear): %s (the last marginal cost is %.2fx the first)\n",
               verdict(growth <= 1.25), growth);
    }
    double commit = median(f.quillpad.commit), write = median(f.plainWrite);
    printf("\nCommit with %d memos (the save it requests; %zu KB file, median of %zu): %.1f ms, "
           "plain write+flush+rename %.1f ms, ratio %.2f\n",
           referenceSize, f.fileBytes / 1024, f.quillpad.commit.size(), commit, write, commit / write);
    printf("  the first commit of each start (median): %.1f ms\n", median(f.quillpad.firstCommit));
    printf("  target: <= 2x the plain write: %s\n", verdict(commit <= 2 * write));
    double peak = *std::max_element(f.quillpad.peak.begin(), f.quillpad.peak.end());
    printf("\nPeak working set with %d memos, the highest of %zu starts: Quillpad %.1f MB, floor %.1f MB\n",
           referenceSize, f.quillpad.peak.size(), peak, *std::max_element(f.floorPeak.begin(), f.floorPeak.end()));
    printf("  of which the memo windows' pixels (as Wine keeps them): Quillpad %.1f MB, floor %.1f MB\n",
           *std::max_element(f.quillpad.pixels.begin(), f.quillpad.pixels.end()),
           *std::max_element(f.floorPixels.begin(), f.floorPixels.end()));
    printf("  target: <= 100 MB: %s\n", verdict(peak <= 100));
    double exit = median(f.quillpad.exit);
    printf("\nExit with %d memos, from the command to the process's end (median of %zu): %.2f s\n", referenceSize,
           f.quillpad.exit.size(), exit);
    printf("  target: <= 0.5 s: %s\n", verdict(exit <= 0.5));
    double delay = median(f.heldDelay);
    printf("\nStart with %d memos while another program holds Quillpad.ini unshared, against one without, "
           "in %zu pairs: %.2f s against %.2f s, the median delay %+.2f s\n",
           referenceSize, f.heldDelay.size(), median(f.heldStart), median(f.freeStart), delay);
    printf("  target: delays start-up by <= about 1 s: %s\n", verdict(delay <= 1.0));

    // The figures above in one table, each beside its floor. Exit has no
    // floor program: its column is the limit.
    const double floorStart = median(f.floorStart.at(referenceSize)), start = median(f.quillpad.start.at(referenceSize));
    const double floorPeak = *std::max_element(f.floorPeak.begin(), f.floorPeak.end());
    printf("\nAt %d memos        Quillpad      floor   ratio  target\n", referenceSize);
    printf("  start-up        %8.2f s %8.2f s  %6.2f  <= 1.0x the floor: %s\n", start, floorStart, start / floorStart,
           verdict(start <= floorStart));
    printf("  commit          %7.1f ms %7.1f ms  %6.2f  <= 2x the write+flush+rename: %s\n", commit, write,
           commit / write, verdict(commit <= 2 * write));
    printf("  exit            %8.2f s %8.2f s  %6.2f  <= 0.5 s: %s\n", exit, 0.5, exit / 0.5, verdict(exit <= 0.5));
    printf("  peak memory     %7.1f MB %7.1f MB  %6.2f  <= 100 MB: %s\n", peak, floorPeak, peak / floorPeak,
           verdict(peak <= 100));
    if (f.before.start.empty()) return;
    const ProgramFigures& b = f.before;
    const double beforeStart = median(b.start.at(referenceSize)), beforeCommit = median(b.commit);
    const double beforeExit = median(b.exit), beforePeak = *std::max_element(b.peak.begin(), b.peak.end());
    printf("\nThe earlier program in the same run:\n");
    printf("  start-up        %8.2f s %8.2f s  %6.2f\n", beforeStart, floorStart, beforeStart / floorStart);
    printf("  commit          %7.1f ms %7.1f ms  %6.2f\n", beforeCommit, write, beforeCommit / write);
    printf("  exit            %8.2f s %8.2f s  %6.2f\n", beforeExit, 0.5, beforeExit / 0.5);
    printf("  peak memory     %7.1f MB %7.1f MB  %6.2f\n", beforePeak, floorPeak, beforePeak / floorPeak);
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

std::string besideThisProgram(const char* name) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

std::vector<int> parseSizes(const char* list) {
    std::vector<int> sizes;
    for (const char* p = list; *p;) {
        char* end;
        long size = strtol(p, &end, 10);
        if (end == p || size <= 0) break;
        sizes.push_back(int(size));
        p = *end == ',' ? end + 1 : end;
    }
    if (std::find(sizes.begin(), sizes.end(), referenceSize) == sizes.end()) sizes.push_back(referenceSize);
    std::sort(sizes.begin(), sizes.end());
    return sizes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: memo_start_bench QUILLPAD_EXE [SIZES [STARTS [BEFORE_EXE]]]\n");
        return 2;
    }
    const std::string quillpad = quoted(argv[1]);
    const std::string floor = quoted(besideThisProgram("memo_floor.exe"));
    if (benchOnce()) referenceSize = 100, heldPairs = 1;
    const std::vector<int> sizes = parseSizes(benchOnce() ? "100" : argc > 2 ? argv[2] : "100,500,1000");
    const int starts = benchOnce() ? 1 : argc > 3 ? std::max(1, atoi(argv[3])) : 3;
    const std::string before = argc > 4 ? quoted(argv[4]) : "";
    try {
        if (!saveSettings(GeneralSettings(), MemoAppearance())) throw std::runtime_error("cannot write the settings files");
        // The first starts read Wine's and the programs' files from disk.
        if (!benchOnce()) {
            printf("Warming up\n");
            runFloor(floor, sizes.front(), nullptr);
            runQuillpad(quillpad, sizes.front(), nullptr, nullptr);
        }
        Figures figures;
        for (int size : sizes) {
            for (int i = 0; i < starts; ++i) {
                figures.floorStart[size].push_back(runFloor(floor, size, &figures));
                if (!before.empty()) {
                    figures.before.start[size].push_back(runQuillpad(before, size, &figures.before, &figures));
                }
                figures.quillpad.start[size].push_back(runQuillpad(quillpad, size, &figures.quillpad, &figures));
            }
        }
        // Side by side, so that the machine's ups and downs fall on both.
        for (int i = 0; i < heldPairs; ++i) {
            figures.freeStart.push_back(runQuillpad(quillpad, referenceSize, &figures.quillpad, &figures));
            figures.heldStart.push_back(runQuillpad(quillpad, referenceSize, &figures.quillpad, &figures, true));
            figures.heldDelay.push_back(figures.heldStart.back() - figures.freeStart.back());
        }
        report(figures, starts);
    } catch (const std::exception& e) {
        fprintf(stderr, "memo_start_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
