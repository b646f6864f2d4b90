// Our window layer: message tables, default processing, modal and modeless dialogs.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "memo/MemoEdit.h"
#include "res/resource.h"
#include "win/Application.h"
#include "win/Dialog.h"

using namespace testing_support;

namespace {

UINT registeredMessage = 0;

// A base class's rows are searched after the derived class's.
class BaseWindow : public win::Window {
public:
    std::vector<std::string> calls;

protected:
    const win::MessageTable* messageTable() const override {
        static const win::MessageEntry rows[] = {
            win::onMessage(WM_APP + 2, &BaseWindow::OnBaseOnly),
            win::onMessage(WM_APP + 3, &BaseWindow::OnOverridden),
        };
        static const win::MessageTable table(rows, Window::messageTable());
        return &table;
    }
    void record(std::string what) { calls.push_back(std::move(what)); }

private:
    void OnBaseOnly() { record("base"); }
    void OnOverridden() { record("base, overridden"); }
};

class TableWindow : public BaseWindow {
public:
    bool make() { return create(0, "table", WS_POPUP, 0, 0, 10, 10, nullptr, 0); }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP || message == WM_APP + 1) record("default");
        return win::Window::DefWindowProc(message, wParam, lParam);
    }
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    ~TableWindow() override { DeleteObject(brush); }

protected:
    const win::MessageTable* messageTable() const override {
        static const win::MessageEntry rows[] = {
            win::onCommand(5, &TableWindow::OnCommand5),
            win::onControl(5, CBN_DROPDOWN, &TableWindow::OnDropDown5),
            win::onNotify(7, NM_RCLICK, &TableWindow::OnRClick7),
            win::onMessage(WM_APP + 1, &TableWindow::OnApp1),
            win::onMessage(WM_APP + 3, &TableWindow::OnApp3),
            win::onRegistered(registeredMessage, &TableWindow::OnRegistered),
            win::onCtlColor(WM_CTLCOLORSTATIC, &TableWindow::OnCtlColor),
        };
        static const win::MessageTable table(rows, BaseWindow::messageTable());
        return &table;
    }

private:
    void OnCommand5() { record("command 5"); }
    void OnDropDown5() { record("dropdown 5"); }
    LRESULT OnRClick7(const NMHDR& hdr) {
        record("rclick " + std::to_string(hdr.idFrom));
        return 1;
    }
    LRESULT OnApp1(WPARAM wParam, LPARAM) {
        record("app1 " + std::to_string(wParam));
        return defaultProcessing() + 40;  // a handler asking for default processing
    }
    void OnApp3() { record("derived"); }
    void OnRegistered() { record("registered"); }
    HBRUSH OnCtlColor(HDC, HWND control) {
        record(control == hwnd() ? "ctlcolor" : "ctlcolor of another");
        return brush;
    }
};

TEST(MessageTable, EachKindOfRowReachesItsHandler) {
    registeredMessage = RegisterWindowMessageA("Quillpad.WindowLayerTest");
    TableWindow window;
    ASSERT_TRUE(window.make());
    HWND hwnd = window.hwnd();
    LPARAM control = reinterpret_cast<LPARAM>(hwnd);
    auto send = [hwnd](UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return [=] { return SendMessageA(hwnd, message, wParam, lParam); };
    };
    NMHDR rclick7 = {nullptr, 7, NM_RCLICK}, rclick8 = {nullptr, 8, NM_RCLICK}, click7 = {nullptr, 7, NM_CLICK};
    auto notify = [&](NMHDR& hdr) { return send(WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr)); };
    struct Case {
        const char* name;
        std::function<LRESULT()> send;
        std::vector<std::string> calls;
        LRESULT result;
    } cases[] = {
        {"menu command", send(WM_COMMAND, MAKEWPARAM(5, 0)), {"command 5"}, 0},
        {"accelerator", send(WM_COMMAND, MAKEWPARAM(5, 1)), {"command 5"}, 0},
        // Notifications carry the control's window; an accelerator's code 1 is CBN_SELCHANGE's too.
        {"control notification", send(WM_COMMAND, MAKEWPARAM(5, CBN_DROPDOWN), control), {"dropdown 5"}, 0},
        {"other notification of the same control", send(WM_COMMAND, MAKEWPARAM(5, CBN_SELCHANGE), control), {}, 0},
        {"other command", send(WM_COMMAND, MAKEWPARAM(6, 0)), {}, 0},
        {"notify", notify(rclick7), {"rclick 7"}, 1},
        {"notify of another control", notify(rclick8), {}, 0},
        {"notify with another code", notify(click7), {}, 0},
        {"registered message", send(registeredMessage), {"registered"}, 0},
        {"base row", send(WM_APP + 2), {"base"}, 0},
        {"derived row before the base row", send(WM_APP + 3), {"derived"}, 0},
        {"colour request", send(WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(hwnd)), {"ctlcolor"},
         reinterpret_cast<LRESULT>(window.brush)},
        {"unlisted message", send(WM_APP), {"default"}, 0},
        {"handler asking for default processing", send(WM_APP + 1, 9), {"app1 9", "default"}, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.calls.clear();
        EXPECT_EQ(c.send(), c.result);
        EXPECT_EQ(window.calls, c.calls);
    }
    DestroyWindow(hwnd);
    EXPECT_EQ(window.hwnd(), nullptr);
    EXPECT_EQ(win::Window::fromHandle(hwnd), nullptr);
}

WNDPROC laterSuperProc;
WNDPROC procAfterOurLastMessage;
LRESULT CALLBACK laterSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallWindowProcA(laterSuperProc, hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        procAfterOurLastMessage = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    }
    return result;
}

TEST(Subclass, ControlMessagesGoThroughTheTable) {
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    CMemoEdit edit;  // a real subclassed control: Tab types a tab character
    ASSERT_TRUE(edit.createControl("EDIT", ES_MULTILINE | WS_VISIBLE, parent, 1000));
    EXPECT_EQ(GetDlgCtrlID(edit.hwnd()), 1000);
    EXPECT_EQ(GetParent(edit.hwnd()), parent);
    EXPECT_TRUE(SendMessageA(edit.hwnd(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
    SetWindowTextA(edit.hwnd(), "ab");
    SendMessageA(edit.hwnd(), EM_SETSEL, 1, 1);
    SendMessageA(edit.hwnd(), WM_KEYDOWN, VK_TAB, 0);
    char text[16] = {};
    GetWindowTextA(edit.hwnd(), text, sizeof text);
    EXPECT_STREQ(text, "a\tb");
    EXPECT_TRUE(SendMessageA(edit.hwnd(), EM_CANUNDO, 0, 0));

    // Subclassed again by someone else: our end must not put the edit
    // control's own procedure back over theirs.
    laterSuperProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(laterSubclass)));
    DestroyWindow(parent);
    EXPECT_EQ(procAfterOurLastMessage, laterSubclass);
    EXPECT_EQ(edit.hwnd(), nullptr);
}

// Records its WM_DESTROY and its deletion in a log that outlives it.
class LoggedWindow : public win::Window {
public:
    explicit LoggedWindow(std::vector<std::string>& log) : log_(log) {}
    ~LoggedWindow() override { log_.push_back("deleted"); }
    bool make() { return create(0, "logged", WS_POPUP, 0, 0, 10, 10, nullptr, 0); }

protected:
    const win::MessageTable* messageTable() const override {
        static const win::MessageEntry rows[] = {
            win::onMessage(WM_DESTROY, &LoggedWindow::OnDestroy),
            win::onMessage(WM_APP, &LoggedWindow::OnNestedLoop),
        };
        static const win::MessageTable table(rows, Window::messageTable());
        return &table;
    }

private:
    void OnDestroy() { log_.push_back("WM_DESTROY"); }
    // Like a handler waiting for a message box: its window may go meanwhile.
    void OnNestedLoop() {
        pumpUntil([this] { return hwnd() == nullptr; }, 3000);
        log_.push_back(hwnd() ? "handler: window alive" : "handler: window gone");
    }
    std::vector<std::string>& log_;
};

win::Window* released;
void CALLBACK releaseLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    win::Window::destroyAndDelete(released);
}

TEST(Lifetime, DestroyAndDeleteWaitsForTheObjectsRunningHandlers) {
    struct Case {
        const char* name;
        bool whileHandlerRuns;
        std::vector<std::string> log;
    } cases[] = {
        {"idle", false, {"WM_DESTROY", "deleted"}},
        {"from a nested message loop", true, {"WM_DESTROY", "handler: window gone", "deleted"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> log;
        auto* window = new LoggedWindow(log);
        ASSERT_TRUE(window->make());
        if (c.whileHandlerRuns) {
            released = window;
            UINT_PTR timer = SetTimer(nullptr, 0, 50, releaseLater);
            SendMessageA(window->hwnd(), WM_APP, 0, 0);
            KillTimer(nullptr, timer);
        } else {
            win::Window::destroyAndDelete(window);
        }
        EXPECT_EQ(log, c.log);
    }
}

class RecordingDialog : public win::Dialog {
public:
    explicit RecordingDialog(UINT id) : win::Dialog(id) {}
    std::vector<std::string> calls;
    BOOL OnInitDialog() override {
        calls.push_back("init");
        return TRUE;
    }
    void OnOK() override {
        calls.push_back("ok");
        win::Dialog::OnOK();
    }
    void OnCancel() override {
        calls.push_back("cancel");
        win::Dialog::OnCancel();
    }
};

TEST(ModalDialog, EndsWithTheCodeOfOkOrCancel) {
    struct Case {
        const char* name;
        std::function<void(HWND)> act;
        INT_PTR result;
        std::vector<std::string> calls;
    } cases[] = {
        {"OK button", [](HWND d) { PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }, IDOK,
         {"init", "ok"}},
        {"Escape key", [](HWND d) { PostMessageA(GetDlgItem(d, IDOK), WM_KEYDOWN, VK_ESCAPE, 0); }, IDCANCEL,
         {"init", "cancel"}},
        {"close box", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }, IDCANCEL, {"init", "cancel"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDialog dialog(IDD_COLORSET);
        INT_PTR result = 0;
        EXPECT_TRUE(actOnDialog([&] { result = dialog.doModal(); }, c.act));
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(dialog.calls, c.calls);
        EXPECT_EQ(dialog.hwnd(), nullptr);
    }
}

void CALLBACK giveUp(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(99);
}

TEST(ModelessDialog, GetsDialogKeysThroughTheMessageLoop) {
    class Modeless : public RecordingDialog {
    public:
        Modeless() : RecordingDialog(IDD_COLORSET) {}

    protected:
        void OnFinalMessage() override { PostQuitMessage(3); }
    } dialog;
    ASSERT_TRUE(dialog.createModeless(nullptr));
    EXPECT_TRUE(dialog.isModeless());
    ShowWindow(dialog.hwnd(), SW_SHOW);
    // Escape pressed in a control reaches OnCancel only through IsDialogMessage.
    PostMessageA(dialog.item(IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    UINT_PTR timer = SetTimer(nullptr, 0, 5000, giveUp);
    EXPECT_EQ(win::runMessageLoop(), 3);
    KillTimer(nullptr, timer);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"init", "cancel"}));
    EXPECT_EQ(dialog.hwnd(), nullptr);  // Cancel ended it by destroying its window
}

// Ends the window inside a nested loop that takes the quit message and does
// not post it again, as Wine's move loop does while a window is dragged.
void CALLBACK endInNestedLoop(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    DestroyWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

TEST(MessageLoop, EndsWithTheMainWindowEvenWhenANestedLoopTookTheQuit) {
    class Main : public win::Window {
    public:
        using Window::create;

    protected:
        void OnFinalMessage() override { PostQuitMessage(0); }
    } main;
    ASSERT_TRUE(main.create(0, "main", WS_POPUP, 0, 0, 10, 10, nullptr, 0));
    SetTimer(main.hwnd(), 1, 10, endInNestedLoop);
    UINT_PTR timer = SetTimer(nullptr, 0, 5000, giveUp);
    EXPECT_EQ(win::runMessageLoop(main.hwnd()), 0);
    KillTimer(nullptr, timer);
}

}  // namespace
