// The real Quillpad.exe, started as its own process.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "TestSupport.h"
#include "res/resource.h"

using namespace testing_support;

namespace {

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
