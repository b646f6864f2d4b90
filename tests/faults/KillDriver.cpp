// The kill test's hands and eyes inside Wine (kill_test.sh kills the program).
//
//   kill_driver generate MEMOS SEED   writes a data file of MEMOS memos
//   kill_driver round N               one run of the program, until it is killed
//   kill_driver last N                one run that ends with "終了(&X)"
//
// A run first checks what the killed run before it left (the program saves
// nothing before the first commit): the data file must hold exactly the memos
// of that run's last commit that had returned, or of the one in progress, and
// the program must show one window for each of them. Then it commits edits
// through the memo windows, one after another, each noted in journal.txt before
// it is sent ("P") and once it has returned ("D"), until the program is gone.
// Each checked kill prints one "kill" line; kill_test.sh adds them up.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>
#include "res/resource.h"
#include "store/MemoFile.h"
#include "tests/win/TestSupport.h"
#include "tests/support/SaveMemoFile.h"

using namespace testing_support;

namespace {

const char* const kBaseFile = "base.dat";  // the data file as a run found it
const char* const kJournal = "journal.txt";
const std::string kTempFile = std::string(MEMO_FILE_NAME) + ".tmp";

void say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

[[noreturn]] void fail(const std::string& why) {
    say("failed: %s\n", why.c_str());
    std::exit(1);
}

bool exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Japanese and ASCII pieces; several Shift-JIS characters end in the byte of '\'.
const char* const kWords[] = {"メモ", "今日の予定", "会議は十時から", "買い物: 牛乳、パン", "表示", "ソフト",
                              "能力", "ポスト", "予定表", "データ", "Hello", "TODO", "2024-05-01", "abc",
                              "x", "\t", "ｶﾀｶﾅ", "①②", "ー"};

// A tab text of 1 to 8 lines, a few bytes to a few kilobytes: a kill in the
// middle of a shorter or longer file cannot pass for a whole one.
std::string textFor(unsigned seed) {
    std::mt19937 rng(seed);
    std::string text;
    const int lines = 1 + rng() % 8;
    for (int line = 0; line < lines; ++line) {
        if (line) text += "\r\n";
        const int words = rng() % 6 == 0 ? 200 : rng() % 10;
        for (int w = 0; w < words; ++w) {
            if (w) text += ' ';
            text += kWords[rng() % std::size(kWords)];
        }
    }
    return text;
}

std::vector<StoredMemo> generateMemos(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<StoredMemo> memos(count);
    for (int i = 0; i < count; ++i) {
        StoredMemo& m = memos[i];
        // Captions are the memos' names for the driver: unique.
        m.CAPTION = wide("メモ" + std::to_string(i) + " " + kWords[rng() % std::size(kWords)]);
        const int tabs = 1 + rng() % 5;
        for (int t = 0; t < tabs; ++t) m.tabs.push_back({wide(textFor(rng())), wide("タブ" + std::to_string(t))});
        m.MEMO_SELECT_INDEX = rng() % tabs;
        const int width = 200 + rng() % 200, height = 120 + rng() % 180;
        m.RECT_LEFT = rng() % (1024 - width);
        m.RECT_TOP = rng() % (768 - height);
        m.RECT_RIGHT = m.RECT_LEFT + width;
        m.RECT_BOTTOM = m.RECT_TOP + height;
        m.appearance.colors.BACK_MEMO_COLOR = rng() & 0xFFFFFF;
        m.appearance.NOT_SHOW_TAB_FLAG = rng() % 2;
        m.appearance.WORDWRAP_FLAG = rng() % 2;
        m.appearance.NON_MOVE_FLAG = rng() % 2;
    }
    return memos;
}

// The file orders memos by their identities: memos are compared in an order of their own.
std::vector<StoredMemo> sorted(std::vector<StoredMemo> memos) {
    std::sort(memos.begin(), memos.end(),
              [](const StoredMemo& a, const StoredMemo& b) { return formatMemos({a}) < formatMemos({b}); });
    return memos;
}

// Without the identity line, which a start adds to a file without it.
std::vector<StoredMemo> load(const char* name) {
    std::vector<StoredMemo> memos;
    auto add = [&](const StoredMemo& m) {
        memos.push_back(m);
        memos.back().MEMO_ID.clear(), memos.back().MEMO_VERSION.clear();
    };
    if (loadMemoFile(name, {}, add) != LoadResult::Loaded) {
        fail(std::string("cannot load ") + name);
    }
    return memos;
}

// The memos as the file gives them back, in the order of sorted().
std::vector<StoredMemo> asStored(const std::vector<StoredMemo>& memos) {
    std::vector<StoredMemo> stored;
    parseMemos(formatMemos(memos), {}, [&](const StoredMemo& m) { stored.push_back(m); });
    return sorted(stored);
}

std::string difference(const std::vector<StoredMemo>& file, const std::vector<StoredMemo>& wanted) {
    if (file.size() != wanted.size()) {
        return std::to_string(file.size()) + " memos instead of " + std::to_string(wanted.size());
    }
    for (size_t i = 0; i < file.size(); ++i) {
        if (file[i] == wanted[i]) continue;
        std::string where = "memo " + std::to_string(i) + " (" + narrow(file[i].CAPTION) + ")";
        if (file[i].tabs.size() != wanted[i].tabs.size()) return where + ": other tabs";
        for (size_t t = 0; t < file[i].tabs.size(); ++t) {
            if (file[i].tabs[t].text == wanted[i].tabs[t].text) continue;
            return where + ", tab " + std::to_string(t) + ": " + std::to_string(file[i].tabs[t].text.size()) +
                   " bytes of text instead of " + std::to_string(wanted[i].tabs[t].text.size());
        }
        return where + ": another header or tab title";
    }
    return "no difference";
}

unsigned textSeed(int round, unsigned seq) { return unsigned(round) * 1000003u + seq; }

struct Found {
    unsigned commits;  // that had returned
    bool inCommit;     // one was in progress
    bool holdsReturned;
};

// The journal of run `round` against the data file it left: the file must
// hold the memos of the last commit that returned, or of the one in progress.
Found checkRun(int round) {
    std::vector<StoredMemo> returned = load(kBaseFile);
    std::vector<StoredMemo> pending;
    Found found{0, false, false};
    std::ifstream journal(kJournal);
    char kind;
    unsigned seq;
    while (journal >> kind >> seq) {
        if (kind == 'P') {
            int memo, tab;
            journal >> memo >> tab;
            pending = returned;
            pending.at(memo).tabs.at(tab).text = wide(textFor(textSeed(round, seq)));
            found.inCommit = true;
        } else {
            returned.swap(pending);
            found.inCommit = false;
            ++found.commits;
        }
    }
    const std::vector<StoredMemo> file = sorted(load(MEMO_FILE_NAME));
    found.holdsReturned = file == asStored(returned);
    if (!found.holdsReturned && !(found.inCommit && file == asStored(pending))) {
        fail("run " + std::to_string(round) + ", " + std::to_string(found.commits) +
             " commits returned: against the last of them " + difference(file, asStored(returned)) +
             (found.inCommit ? "; against the one in progress " + difference(file, asStored(pending)) : ""));
    }
    return found;
}

// The running program, as found by its resident window.
class Quillpad {
public:
    Quillpad() {
        for (int i = 0; i < 600 && !(tray_ = FindWindowA("Quillpad:3", "クイルパッド")); ++i) Sleep(100);
        if (!tray_) fail("the program did not start");
        GetWindowThreadProcessId(tray_, &pid_);
        process_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid_);
    }
    HWND tray() const { return tray_; }
    DWORD pid() const { return pid_; }
    bool ended(DWORD waitMs = 0) const { return WaitForSingleObject(process_, waitMs) == WAIT_OBJECT_0; }
    DWORD exitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_, &code);
        return code;
    }

private:
    HWND tray_ = nullptr;
    DWORD pid_ = 0;
    HANDLE process_ = nullptr;
};

// Each memo's window, by its caption: every memo of the file must have one.
// Empty when the program was killed before it showed them all.
std::vector<HWND> memoWindowsOf(const Quillpad& program, const std::vector<StoredMemo>& memos) {
    const DWORD start = GetTickCount();
    std::vector<HWND> windows;
    while ((windows = memoWindows(program.pid())).size() < memos.size() && GetTickCount() - start < 60000) {
        if (program.ended()) return {};
        Sleep(50);
    }
    std::map<std::string, int> index;
    for (size_t i = 0; i < memos.size(); ++i) index[narrow(memos[i].CAPTION)] = int(i);
    std::vector<HWND> byMemo(memos.size());
    for (HWND w : windows) {
        const std::string caption = controlText(w, IDC_MEMO_CAPTION);
        auto found = index.find(caption);
        if (program.ended()) return {};
        if (found == index.end() || byMemo[found->second]) fail("a memo window not in the file: " + caption);
        byMemo[found->second] = w;
    }
    if (windows.size() != memos.size()) {
        fail(std::to_string(windows.size()) + " memo windows for " + std::to_string(memos.size()) + " memos");
    }
    return byMemo;
}

int run(int round, bool last) {
    const DWORD start = GetTickCount();
    if (exists(kBaseFile)) {
        const Found f = checkRun(round - 1);
        say("kill %d: %u commits returned; in a commit: %s; the file holds: %s; temp file left: %s\n", round - 1,
            f.commits, f.inCommit ? "yes" : "no", f.holdsReturned ? "the last returned" : "the one in progress",
            exists(kTempFile) ? "yes" : "no");
    }
    if (!CopyFileA(MEMO_FILE_NAME, kBaseFile, FALSE)) fail("cannot copy the data file");
    const std::vector<StoredMemo> memos = load(kBaseFile);
    std::FILE* journal = std::fopen(kJournal, "w");
    if (!journal) fail("cannot write the journal");

    const Quillpad program;
    say("run %d: up\n", round);
    const std::vector<HWND> windows = memoWindowsOf(program, memos);
    if (windows.empty()) return 0;  // killed while it started
    say("run %d: %u memo windows after %lu ms\n", round, unsigned(windows.size()), GetTickCount() - start);
    std::mt19937 rng(round);
    for (unsigned seq = 1; !last || seq <= 3; ++seq) {
        const int memo = int(rng() % memos.size());
        // A memo whose tabs are hidden has no tab control to ask: it shows the tab it was stored with.
        DWORD_PTR tab = DWORD_PTR(memos[memo].MEMO_SELECT_INDEX);
        if (HWND tabs = GetDlgItem(windows[memo], IDC_MEMO_TABS)) {
            SendMessageTimeoutA(tabs, TCM_GETCURSEL, 0, 0, SMTO_NORMAL, 5000, &tab);
        }
        std::fprintf(journal, "P %u %d %d\n", seq, memo, int(tab));
        std::fflush(journal);
        if (!commitMemoText(windows[memo], textFor(textSeed(round, seq)))) {
            if (program.ended(5000)) return 0;  // killed
            fail("the program stopped answering");
        }
        std::fprintf(journal, "D %u\n", seq);
        std::fflush(journal);
        if (seq == 1 && exists(kTempFile)) fail("a temp file is left after a successful save");
    }
    std::fclose(journal);
    PostMessageA(program.tray(), WM_COMMAND, ID_EXIT, 0);
    if (!program.ended(60000)) fail("the program still runs a minute after \"終了(&X)\"");
    if (program.exitCode() != 0) fail("\"終了(&X)\" ended the program with code " + std::to_string(program.exitCode()));
    if (!checkRun(round).holdsReturned) fail("the last commit is not in the file after \"終了(&X)\"");
    say("exit: the file holds the last commit\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "generate" && argc == 4) {
        return saveMemoFile(MEMO_FILE_NAME, generateMemos(std::atoi(argv[2]), unsigned(std::atoi(argv[3])))) ? 0 : 1;
    }
    if ((mode == "round" || mode == "last") && argc == 3) return run(std::atoi(argv[2]), mode == "last");
    std::fprintf(stderr, "usage: kill_driver generate MEMOS SEED | round N | last N\n");
    return 2;
}
