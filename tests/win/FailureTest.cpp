// The one dispatch point: an exception escaping any handler shows the failure
// message with the program's caption and ends the process with exit code 0.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <stdexcept>
#include "TestSupport.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "win/Application.h"
#include "win/Dialog.h"
#include "win/Failure.h"
#include "win/MessageBox.h"

using namespace testing_support;

namespace {

const UINT WM_THROW = WM_APP + 1;
const UINT WM_THROW_NAMED = WM_APP + 2;
const UINT WM_SAVE = WM_APP + 4;
const UINT WM_THROW_WITH_MORE_QUEUED = WM_APP + 5;

void appendLine(const char* file, const char* line) {
    FILE* f = fopen(file, "a");
    fprintf(f, "%s\n", line);
    fclose(f);
}

int lineCount(const char* file) {
    FILE* f = fopen(file, "r");
    if (!f) return 0;
    int lines = 0;
    for (int c; (c = fgetc(f)) != EOF;) lines += c == '\n';
    fclose(f);
    return lines;
}

class ThrowingWindow : public win::Window {
public:
    bool make() { return create(0, "t", WS_POPUP, 0, 0, 10, 10, nullptr, 0); }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SAVE) appendLine("saved.txt", "saved by our default processing");
        if (message == WM_APP + 3) throw 42;  // not even a std::exception
        return win::Window::DefWindowProc(message, wParam, lParam);
    }

protected:
    const win::MessageTable* messageTable() const override {
        static const win::MessageEntry rows[] = {
            win::onMessage(WM_THROW, &ThrowingWindow::OnThrow),
            win::onMessage(WM_THROW_NAMED, &ThrowingWindow::OnThrow, "OnMoving"),
            win::onCommand(100, &ThrowingWindow::OnThrow),
            win::onMessage(WM_SAVE, &ThrowingWindow::OnSave),
            win::onMessage(WM_THROW_WITH_MORE_QUEUED, &ThrowingWindow::OnThrowWithMoreQueued),
        };
        static const win::MessageTable table(rows, Window::messageTable());
        return &table;
    }

private:
    void OnThrow() { throw std::runtime_error("handler failed"); }
    void OnSave() { appendLine("saved.txt", "saved"); }
    // A save request and a second failure wait in the queue behind the first failure.
    void OnThrowWithMoreQueued() {
        appendLine("failures.txt", "failure");
        PostMessageA(hwnd(), WM_SAVE, 0, 0);
        PostMessageA(hwnd(), WM_THROW_WITH_MORE_QUEUED, 0, 0);
        throw std::runtime_error("handler failed");
    }
};

class ThrowingDialog : public win::Dialog {
public:
    ThrowingDialog() : win::Dialog(IDD_VERSION) { initDialogOperation = "OnInitDialog"; }
    BOOL OnInitDialog() override { throw std::bad_alloc(); }
};

// In the child process of a death test: report every message box on stderr
// (texts as hex, since they are Shift-JIS) and close it.
void reportBoxes(const std::function<void()>& action) {
    win::setFailureText(texts::UNEXPECTED_FAILURE);  // as the program does at start
    // Reported before the box is closed: closing it ends the process.
    static MessageBoxWatcher* watcher = new MessageBoxWatcher(GetCurrentProcessId(), IDOK, [](const MessageBoxSeen& box) {
        fprintf(stderr, "box caption=%s text=%s\n", hex(box.caption).c_str(), hex(box.text).c_str());
        fflush(stderr);
    });
    (void)watcher;  // left running until ExitProcess
    action();
}

std::string expectedBox(const char* text) {
    return "box caption=" + hex(win::appDisplayName()) + " text=" + hex(text);
}

TEST(FailureDeathTest, ExceptionInAnyHandlerShowsMessageAndExitsWithZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        const char* text;
    } cases[] = {
        {"message handler", WM_THROW, 0, "不明例外が発生しました。"},
        {"named operation", WM_THROW_NAMED, 0, "OnMoving 不明例外が発生しました。"},
        {"command handler", WM_COMMAND, 100, "不明例外が発生しました。"},
        {"default processing", WM_APP + 3, 0, "不明例外が発生しました。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(reportBoxes([&] {
                        ThrowingWindow window;
                        if (!window.make()) return;
                        SendMessageA(window.hwnd(), c.message, c.wParam, 0);
                    }),
                    ::testing::ExitedWithCode(0), expectedBox(c.text));
    }
}

TEST(FailureDeathTest, ExceptionInOnInitDialogNamesIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(reportBoxes([] { ThrowingDialog().doModal(); }), ::testing::ExitedWithCode(0),
                expectedBox("OnInitDialog 不明例外が発生しました。"));
}

TEST(FailureDeathTest, GuardedOperationNamesItself) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(reportBoxes([] { win::guarded("createMemo", []() -> int { throw 1; }); }),
                ::testing::ExitedWithCode(0), expectedBox("createMemo 不明例外が発生しました。"));
}

// Windows 7 without its security update has no SetDefaultDllDirectories: the
// message already has the failure text that the start gives, and names it.
TEST(FailureDeathTest, StartWithoutSetDefaultDllDirectoriesNamesIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto missing = [](const char*) -> FARPROC { return nullptr; };
    EXPECT_EXIT(reportBoxes([&] { win::startProcess("start text", missing); }), ::testing::ExitedWithCode(0),
                expectedBox("SetDefaultDllDirectories start text"));
}

// The failure message's own loop delivers what is queued for our windows:
// none of it may run, so there is no save and no second message.
TEST(FailureDeathTest, NothingOfOursRunsWhileTheFailureIsShown) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child runs this test from its start too: both must use the same files.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    SetCurrentDirectoryA(temp);
    DeleteFileA("failures.txt");
    DeleteFileA("saved.txt");
    EXPECT_EXIT(reportBoxes([] {
                    ThrowingWindow window;
                    if (!window.make()) return;
                    SendMessageA(window.hwnd(), WM_THROW_WITH_MORE_QUEUED, 0, 0);
                }),
                ::testing::ExitedWithCode(0), expectedBox("不明例外が発生しました。"));
    EXPECT_EQ(lineCount("failures.txt"), 1);
    EXPECT_EQ(lineCount("saved.txt"), 0);
}

TEST(Failure, HandlerThatReturnsNormallyIsNotAFailure) {
    ThrowingWindow window;
    ASSERT_TRUE(window.make());
    EXPECT_EQ(win::guarded("x", [] { return 7; }), 7);
    DestroyWindow(window.hwnd());
}

// A box breaks a line anywhere, even before "す。": the box texts end their lines where Japanese
// allows, each short enough for the box (20 full-width characters, 40 bytes) to break none again.
TEST(BoxTexts, EachLineFitsTheBox) {
    using namespace texts;
    for (const std::string text : {CANNOT_SAVE, SAVE_READ_ONLY, SAVE_HELD, SAVE_DISK_FULL, SAVE_NO_ACCESS, SAVE_FOLDER_MISSING,
                                   SAVE_OTHER, SAVE_OTHER_VERSION_NOT_KEPT, OTHER_VERSION_KEPT_START, OTHER_VERSION_KEPT_END,
                                   RESCUE_QUESTION_START, RESCUE_QUESTION_END, RESCUE_FAILED, RESCUED_START, RESCUED_END,
                                   CANNOT_KEEP_CURRENT, DELETE_ALL_QUESTION, RESTORE_QUESTION, HOT_KEYS_TAKEN_END}) {
        for (size_t start = 0, end; start < text.size(); start = end + 1)
            EXPECT_LE((end = std::min(text.find('\n', start), text.size())) - start, 40u) << text;
    }
}

}  // namespace
