// The real Quillpad.exe, started as its own process.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "TestSupport.h"
#include "res/resource.h"

using namespace testing_support;

namespace {

// build/win32/tests/win/<this>.exe -> build/win32/app/Quillpad.exe
std::string quillpadExe() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    for (int i = 0; i < 3; ++i) p = p.substr(0, p.find_last_of('\\'));
    return p + "\\app\\Quillpad.exe";
}

class Program {
public:
    explicit Program(const std::string& exe) {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::string cmd = "\"" + exe + "\"";
        started_ = CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
    }
    ~Program() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
    bool started() const { return started_; }
    DWORD pid() const { return pi_.dwProcessId; }
    // The resident window, once the program is up.
    HWND trayWindow(DWORD timeoutMs = 10000) const {
        HWND found = nullptr;
        pumpUntil([&] { return (found = findTopLevel(pid(), "Quillpad:3", "クイルパッド")) != nullptr; }, timeoutMs);
        return found;
    }
    // The exit code, or STILL_ACTIVE when it does not end in time.
    DWORD waitExit(DWORD timeoutMs = 10000) const {
        WaitForSingleObject(pi_.hProcess, timeoutMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

class ProcessTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(ProcessTest, SecondStartIsRefusedWithTheExecutablesNameAsCaption) {
    Program first(quillpadExe());
    ASSERT_TRUE(first.started());
    HWND tray = first.trayWindow();
    ASSERT_TRUE(tray);

    // The caption follows the executable's name.
    std::string renamed = dir.file("メモ帳改.exe");
    ASSERT_TRUE(CopyFileA(quillpadExe().c_str(), renamed.c_str(), FALSE));
    struct Case {
        std::string exe;
        const char* caption;
    } cases[] = {{quillpadExe(), "Quillpad"}, {renamed, "メモ帳改"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        Program second(c.exe);
        ASSERT_TRUE(second.started());
        MessageBoxWatcher boxes(second.pid());
        ASSERT_TRUE(boxes.waitFor(1));
        EXPECT_EQ(second.waitExit(), 0u);
        ASSERT_EQ(boxes.seen().size(), 1u);
        EXPECT_EQ(boxes.seen()[0].text, "既に起動中です");
        EXPECT_EQ(boxes.seen()[0].caption, c.caption);
        EXPECT_EQ(findTopLevel(second.pid(), "Quillpad:3", "クイルパッド"), nullptr);
    }

    // The first copy is untouched and ends normally.
    EXPECT_EQ(first.trayWindow(0), tray);
    PostMessageA(tray, WM_COMMAND, ID_EXIT, 0);
    EXPECT_EQ(first.waitExit(), 0u);
}

TEST_F(ProcessTest, StartsAgainOnceTheFirstCopyHasEnded) {
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        Program program(quillpadExe());
        HWND tray = program.trayWindow();
        ASSERT_TRUE(tray);
        PostMessageA(tray, WM_COMMAND, ID_EXIT, 0);
        EXPECT_EQ(program.waitExit(), 0u);
    }
}

// Stored memos that cannot be read must never be replaced by this run's empty
// set: the program says so and ends without writing anything.
TEST_F(ProcessTest, UnreadableDataFileEndsTheProgramUntouched) {
    struct Case {
        const char* name;
        bool folder;  // a folder of that name, else a file held open by another program
    } cases[] = {{"folder", true}, {"held file", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir caseDir;
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.folder) {
            ASSERT_TRUE(CreateDirectoryA("Quillpad.dat", nullptr));
        } else {
            held = CreateFileA("Quillpad.dat", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
            DWORD written;
            WriteFile(held, "[MEMO_TAB_START]\r\n", 18, &written, nullptr);
        }
        Program program(quillpadExe());
        ASSERT_TRUE(program.started());
        MessageBoxWatcher boxes(program.pid());
        ASSERT_TRUE(boxes.waitFor(1, 15000));
        EXPECT_EQ(program.waitExit(), 0u);
        EXPECT_EQ(boxes.seen()[0].text, "ファイルを読み込めません。");
        EXPECT_EQ(boxes.seen()[0].caption, "Quillpad");
        if (held != INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetFileSize(held, nullptr), 18u);
            CloseHandle(held);
        }
        // Nothing was written beside it.
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA("*", &found);
        int entries = 0;
        do {
            if (lstrcmpA(found.cFileName, ".") && lstrcmpA(found.cFileName, "..")) ++entries;
        } while (FindNextFileA(search, &found));
        FindClose(search);
        EXPECT_EQ(entries, 1);
    }
}

}  // namespace
