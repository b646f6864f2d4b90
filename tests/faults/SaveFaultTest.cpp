// The real program when its data file cannot be written: a full disk, a
// read-only file, a file that another program holds without sharing. The user
// is told once, the old file stays byte for byte and the program keeps
// running; once the cause is gone, the next commit or "終了(&X)" saves all
// that was kept meanwhile.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "res/Texts.h"
#include "res/resource.h"
#include "store/MemoFile.h"
#include "tests/win/TestSupport.h"
#include "tests/support/SaveMemoFile.h"

using namespace testing_support;

namespace {

// What stands in the way of a save, put there and taken away again.
class Obstacle {
public:
    virtual ~Obstacle() = default;
    virtual void put() = 0;
    virtual void remove() = 0;
};

class ReadOnlyFile : public Obstacle {
    void put() override { ASSERT_TRUE(SetFileAttributesA(MEMO_FILE_NAME, FILE_ATTRIBUTE_READONLY)); }
    void remove() override { ASSERT_TRUE(SetFileAttributesA(MEMO_FILE_NAME, FILE_ATTRIBUTE_NORMAL)); }
};

// This test is the other program.
class HeldFile : public Obstacle {
    HANDLE held_ = INVALID_HANDLE_VALUE;
    void put() override {
        held_ = CreateFileA(MEMO_FILE_NAME, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held_, INVALID_HANDLE_VALUE);
    }
    void remove() override { CloseHandle(held_); }
};

// What no Windows call does, done by Linux in the current folder as Wine starts
// it. Wine's process handle does not wait for it: a file it makes says it is done.
void runLinux(const std::string& command) {
    const std::string done = "/tmp/quillpad-done-" + std::to_string(GetCurrentProcessId());
    std::string line = "Z:\\bin\\sh -c \"" + command + "; touch " + done + "\"";
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION run;
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &run));
    CloseHandle(run.hProcess), CloseHandle(run.hThread);
    ASSERT_TRUE(pumpUntil([&] { return DeleteFileA(("Z:" + done).c_str()); }, 10000));
}

class UnchangeableFile : public Obstacle {  // not even root may change it
    void put() override { runLinux(std::string("chattr +i ") + MEMO_FILE_NAME); }
    void remove() override { runLinux(std::string("chattr -i ") + MEMO_FILE_NAME); }
};

class MissingFolder : public Obstacle {  // renamed while the program runs
    const std::string back_ = "/tmp/quillpad-back-" + std::to_string(GetCurrentProcessId());
    void put() override { runLinux("echo mv $PWD.away $PWD >" + back_ + "; mv $PWD $PWD.away"); }
    void remove() override { runLinux("sh " + back_ + "; rm " + back_); }
};

// A file that takes the disk's last byte.
class FullDisk : public Obstacle {
    void put() override {
        HANDLE filler = CreateFileA("filler", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(filler, INVALID_HANDLE_VALUE);
        const std::string block(64 * 1024, 'f');
        for (DWORD size = block.size(), written = 0; size > 0;) {
            if (!WriteFile(filler, block.data(), size, &written, nullptr) || written < size) size /= 2;
        }
        CloseHandle(filler);
    }
    void remove() override { ASSERT_TRUE(DeleteFileA("filler")); }
};

struct Case {
    const char* name;
    std::unique_ptr<Obstacle> (*make)();
    const char* why;  // the second line of the box
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

template <class T>
std::unique_ptr<Obstacle> make() { return std::make_unique<T>(); }


std::vector<StoredMemo> threeMemos() {
    std::vector<StoredMemo> memos(3);
    for (int i = 0; i < 3; ++i) {
        memos[i].CAPTION = wide("メモ" + std::to_string(i));
        memos[i].tabs = {{wide("元の文 " + std::to_string(i) + "\r\n"), wide("タブ")}};
        memos[i].RECT_LEFT = 20 + 320 * i;
        memos[i].RECT_TOP = 100;
        memos[i].RECT_RIGHT = memos[i].RECT_LEFT + 300;
        memos[i].RECT_BOTTOM = 250;
    }
    return memos;
}

// Each memo's first tab text, as the data file holds it now.
std::vector<std::string> storedTexts() {
    std::vector<std::string> texts;
    loadMemoFile(MEMO_FILE_NAME, {}, [&](const StoredMemo& m) { texts.push_back(narrow(m.tabs.at(0).text)); });
    return texts;
}

bool exists(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

class SaveFault : public ::testing::TestWithParam<Case> {
protected:
    TempDir dir;
};

TEST_P(SaveFault, ToldOnceNothingLostAndSavedWhenGone) {
    if (std::string(GetParam().name) == "FullDisk") {
        char smallDisk[MAX_PATH] = {};
        if (!GetEnvironmentVariableA("QP_SMALL_DISK", smallDisk, MAX_PATH)) {
            GTEST_SKIP() << "needs a small disk of its own in QP_SMALL_DISK (full_disk.sh mounts one)";
        }
        ASSERT_TRUE(SetCurrentDirectoryA(smallDisk));
    }
    std::unique_ptr<Obstacle> obstacle = GetParam().make();
    std::vector<StoredMemo> memos = threeMemos();
    ASSERT_TRUE(saveMemoFile(MEMO_FILE_NAME, memos));
    Program program(quillpadExe());
    const HWND tray = program.trayWindow();
    ASSERT_TRUE(tray);
    std::vector<HWND> windows(3);
    ASSERT_TRUE(pumpUntil([&] { return memoWindows(program.pid()).size() == 3; }));
    for (HWND w : memoWindows(program.pid())) windows.at(controlText(w, IDC_MEMO_CAPTION).back() - '0') = w;
    MessageBoxWatcher boxes(program.pid());
    auto boxTexts = [&] {
        std::vector<std::string> texts;
        for (const MessageBoxSeen& box : boxes.seen()) texts.push_back(box.text);
        return texts;
    };
    // Still running with all its memos, and answering.
    auto running = [&] {
        DWORD_PTR ignored;
        return program.waitExit(300) == STILL_ACTIVE && memoWindows(program.pid()).size() == 3 &&
               SendMessageTimeoutA(tray, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    };
    const std::vector<std::string> texts = {"一つ目 first\r\n", "二つ目 second\r\n", "三つ目 third\r\n", "四つ目\r\n"};
    std::string before = readFile(MEMO_FILE_NAME);
    const std::string cannotSave = std::string("ファイルに保存できません。\n") + GetParam().why;

    // Two commits that cannot be saved: one word to the user, saying why.
    obstacle->put();
    ASSERT_TRUE(commitMemoText(windows[0], texts[0]));
    ASSERT_TRUE(commitMemoText(windows[1], texts[1]));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{cannotSave});
    EXPECT_TRUE(running());
    obstacle->remove();
    EXPECT_EQ(readFile(MEMO_FILE_NAME), before);
    EXPECT_FALSE(exists("Quillpad.dat.tmp"));

    if (GetParam().make == make<HeldFile>) {
        // Once the other program lets go, the retry in the background saves
        // without a word from the user.
        EXPECT_TRUE(pumpUntil([&] { return storedTexts().size() == 3 && storedTexts()[1] == texts[1]; }, 40000));
        EXPECT_EQ(storedTexts()[0], texts[0]);
    }
    // The next commit saves the two before it too.
    ASSERT_TRUE(commitMemoText(windows[2], texts[2]));
    EXPECT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(storedTexts(), std::vector<std::string>(texts.begin(), texts.begin() + 3));

    // The first failure after a success speaks again; so does "終了(&X)" once
    // that box is answered (while it is up, it tells this too): it offers a
    // rescue file, and an answer other than "はい" leaves the program running
    // until it can save.
    before = readFile(MEMO_FILE_NAME);
    obstacle->put();
    ASSERT_TRUE(commitMemoText(windows[0], texts[3]));
    EXPECT_TRUE(boxes.waitFor(2));
    EXPECT_TRUE(pumpUntil([&] { return !findMessageBox(program.pid()); }));
    PostMessageA(tray, WM_COMMAND, ID_EXIT, 0);
    EXPECT_TRUE(boxes.waitFor(3));
    std::vector<std::string> seen = boxTexts();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].substr(0, cannotSave.size() + std::strlen(texts::RESCUE_QUESTION_START)), cannotSave + texts::RESCUE_QUESTION_START);
    seen[2].resize(cannotSave.size());
    EXPECT_EQ(seen, std::vector<std::string>(3, cannotSave));
    EXPECT_TRUE(running());
    obstacle->remove();
    EXPECT_EQ(readFile(MEMO_FILE_NAME), before);

    PostMessageA(tray, WM_COMMAND, ID_EXIT, 0);
    EXPECT_EQ(program.waitExit(), 0u);
    EXPECT_EQ(boxes.seen().size(), 3u);
    EXPECT_EQ(storedTexts(), (std::vector<std::string>{texts[3], texts[1], texts[2]}));
    EXPECT_FALSE(exists("Quillpad.dat.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Program, SaveFault,
                         testing::Values(Case{"ReadOnlyFile", make<ReadOnlyFile>, "ファイルが読み取り専用です。"},
                                         Case{"HeldFile", make<HeldFile>, "ファイルがほかのプログラムに\n使用されています。"},
                                         Case{"UnchangeableFile", make<UnchangeableFile>, "ファイルかフォルダーが\n変更できない設定です。"},
                                         Case{"MissingFolder", make<MissingFolder>, "保存先のフォルダーがありません\n(削除、名前の変更、切断)。"},
                                         Case{"FullDisk", make<FullDisk>, "ディスクの空き領域が足りません。"}),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
