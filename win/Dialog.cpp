#include "win/Dialog.h"
#include <commctrl.h>
#include <vector>
#include "win/Centring.h"
#include "win/SystemLibrary.h"

namespace win {

const DLGTEMPLATE* dialogResource(UINT id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

// A template may name any common control's window class, and those classes
// exist only once comctl32.dll is loaded and has registered them.
const DLGTEMPLATE* Dialog::dialogTemplate() const {
    initCommonControls(ICC_WIN95_CLASSES);
    return templateInMemory ? templateInMemory : dialogResource(templateId_);
}

namespace {

// The thread's dialog loops, as the message filter needs to know them.
struct DialogLoops {
    HHOOK filter = nullptr;          // set with the first dialog, kept
    std::vector<Dialog*> modalRuns;  // the modal runs on the stack, the innermost last
    // The message a modeless dialog's IsDialogMessage is handling. That call
    // asks the filter about this same message first, which must not route it
    // again; any other message, one of a box opened meanwhile, is routed.
    const MSG* routing = nullptr;

    bool isRouting(const MSG& msg) const {
        // The filter may see a copy whose character was converted: the
        // character is not compared.
        return routing && routing->hwnd == msg.hwnd && routing->message == msg.message &&
               routing->lParam == msg.lParam && routing->time == msg.time;
    }
};
DialogLoops loops;

}  // namespace

// Every dialog loop of the thread asks the filter, message boxes' too: it is
// set once, with the first dialog, and stays.
void Dialog::filterDialogLoops() {
    if (!loops.filter) loops.filter = SetWindowsHookExW(WH_MSGFILTER, messageFilter, nullptr, GetCurrentThreadId());
}

INT_PTR Dialog::doModal(HWND owner) {
    modeless_ = false;
    const DLGTEMPLATE* source = dialogTemplate();
    if (!source) return -1;
    filterDialogLoops();
    loops.modalRuns.push_back(this);
    INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleA(nullptr), source, owner, dialogProc,
                                             reinterpret_cast<LPARAM>(this));
    loops.modalRuns.pop_back();
    return result;
}

bool Dialog::routeToModeless(MSG& msg) {
    if (!msg.hwnd || loops.isRouting(msg)) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    auto* dialog = dynamic_cast<Dialog*>(root ? Window::fromHandle(root) : nullptr);
    if (!dialog || !dialog->isModeless()) return false;
    if (dialog->runHandler(nullptr, [&] { return dialog->preTranslateMessage(msg); })) return true;
    const MSG* outer = loops.routing;
    loops.routing = &msg;
    bool handled = IsDialogMessageW(root, &msg) != FALSE;
    loops.routing = outer;
    return handled;
}

void Dialog::cancelModalRuns() {
    std::vector<Dialog*> runs(loops.modalRuns.rbegin(), loops.modalRuns.rend());
    for (Dialog* dialog : runs) {
        if (dialog->hwnd()) dialog->runHandler(nullptr, [dialog] { dialog->OnCancel(); });
    }
}

// The innermost modal dialog that holds the message's window takes it first.
// A modeless dialog's keys (Enter, Escape, Tab) still work while another
// dialog's loop runs, a message box's among them: that loop knows only its own.
LRESULT CALLBACK Dialog::messageFilter(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && !failing()) {
        if (routeToModeless(*msg)) return TRUE;
        for (auto run = loops.modalRuns.rbegin(); run != loops.modalRuns.rend(); ++run) {
            Dialog* dialog = *run;
            HWND hwnd = dialog->hwnd();
            if (!hwnd || (msg->hwnd != hwnd && !IsChild(hwnd, msg->hwnd))) continue;
            if (dialog->runHandler(nullptr, [&] { return dialog->preTranslateMessage(*msg); })) return TRUE;
            break;
        }
    }
    return CallNextHookEx(loops.filter, code, wParam, lParam);
}

bool Dialog::createModeless(HWND owner) {
    modeless_ = true;
    filterDialogLoops();
    const DLGTEMPLATE* source = dialogTemplate();
    return source && CreateDialogIndirectParamW(GetModuleHandleA(nullptr), source, owner, dialogProc,
                                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::endDialog(INT_PTR result) {
    if (modeless_) {
        DestroyWindow(hwnd());
    } else {
        EndDialog(hwnd(), result);
    }
}

const MessageTable* Dialog::messageTable() const {
    // OK and Cancel also arrive from Enter, Escape and the close box.
    static const MessageEntry rows[] = {
        onCommand(IDOK, &Dialog::OnOK),
        onCommand(IDCANCEL, &Dialog::OnCancel),
    };
    static const MessageTable table(rows, Window::messageTable());
    return &table;
}

namespace {
// Templates place a dialog at the screen's top left corner: a modal one opens
// centred over its owner, or on the work area without one, inside the work area.
void centreModal(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    MONITORINFO monitor = {sizeof monitor};
    GetMonitorInfoA(MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    RECT over = area, own;
    if (owner) GetWindowRect(owner, &over);
    GetWindowRect(dialog, &own);
    int x = centredStart(own.right - own.left, over.left, over.right, area.left, area.right);
    int y = centredStart(own.bottom - own.top, over.top, over.bottom, area.top, area.bottom);
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

// The dialog manager calls this procedure; after WM_INITDIALOG it sees only
// what the message table passes on as default processing, and answers FALSE.
INT_PTR CALLBACK Dialog::dialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG || failing()) return FALSE;
    auto* self = reinterpret_cast<Dialog*>(lParam);
    self->attach(hwnd, true);
    INT_PTR result = self->runHandler(self->initDialogOperation, [self] { return self->OnInitDialog(); });
    // Centred as OnInitDialog left it: a dialog may grow to fit its texts.
    if (!self->modeless_ && IsWindow(hwnd)) centreModal(hwnd);
    return result;
}

}  // namespace win
