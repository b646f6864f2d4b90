// Our window layer: message tables, default processing, modal and modeless dialogs.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "res/resource.h"
#include "win/Application.h"
#include "win/Dialog.h"

using namespace testing_support;

namespace {

class TableWindow : public win::Window {
public:
    std::vector<std::string> calls;
    bool make() { return create(0, "table", WS_POPUP, 0, 0, 10, 10, nullptr, 0); }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP) calls.push_back("default");
        return win::Window::DefWindowProc(message, wParam, lParam);
    }

protected:
    win::MessageTable messageTable() const override {
        static const win::MessageEntry table[] = {
            win::onCommand(5, &TableWindow::OnCommand5),
            win::onControl(5, CBN_DROPDOWN, &TableWindow::OnDropDown5),
            win::onNotify(7, NM_RCLICK, &TableWindow::OnRClick7),
            win::onMessage(WM_APP + 1, &TableWindow::OnApp1),
        };
        return table;
    }

private:
    LRESULT OnCommand5(WPARAM, LPARAM) { return record("command 5"); }
    LRESULT OnDropDown5(WPARAM, LPARAM) { return record("dropdown 5"); }
    LRESULT OnRClick7(WPARAM, LPARAM) { return record("rclick 7"); }
    LRESULT OnApp1(WPARAM, LPARAM) {
        record("app1");
        return DefWindowProc(WM_APP, 0, 0) + 40;  // a handler asking for default processing
    }
    LRESULT record(const char* what) {
        calls.push_back(what);
        return 1;
    }
};

TEST(MessageTable, RowsMatchMessageIdAndCode) {
    TableWindow window;
    ASSERT_TRUE(window.make());
    HWND hwnd = window.hwnd();
    auto notify = [&](UINT id, UINT code) {
        NMHDR hdr = {nullptr, id, code};
        return SendMessageA(hwnd, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&hdr));
    };
    struct Case {
        const char* name;
        std::function<LRESULT()> send;
        std::vector<std::string> calls;
        LRESULT result;
    } cases[] = {
        {"menu command", [&] { return SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(5, 0), 0); }, {"command 5"}, 1},
        {"control notification", [&] { return SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(5, CBN_DROPDOWN), 0); },
         {"dropdown 5"}, 1},
        {"other notification of the same control",
         [&] { return SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(5, CBN_SELCHANGE), 0); }, {}, 0},
        {"other command", [&] { return SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(6, 0), 0); }, {}, 0},
        {"notify", [&] { return notify(7, NM_RCLICK); }, {"rclick 7"}, 1},
        {"notify of another control", [&] { return notify(8, NM_RCLICK); }, {}, 0},
        {"notify with another code", [&] { return notify(7, NM_CLICK); }, {}, 0},
        {"unlisted message", [&] { return SendMessageA(hwnd, WM_APP, 0, 0); }, {"default"}, 0},
        {"handler asking for default processing", [&] { return SendMessageA(hwnd, WM_APP + 1, 0, 0); },
         {"app1", "default"}, 40},
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
        void OnCancel() override {
            calls.push_back("cancel");
            DestroyWindow(hwnd());
            PostQuitMessage(3);
        }
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
}

}  // namespace
