// The resources of Quillpad.exe as the window system sees them: every dialog
// template through the windows it creates, the two menus, the two icons and
// the version block. The tables below repeat the templates' values; ids and
// texts are written out instead of taken from resource.h, so that a wrong
// number there is caught as well. Narrow literals are Shift-JIS, as the "A"
// functions return them.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"

namespace {

const char kDialogFace[] = "ＭＳ Ｐゴシック";
constexpr int kDialogPoints = 9;

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

// Test names such as "Memo_129".
template <class Resource>
std::string paramName(const testing::TestParamInfo<Resource>& info) {
    return std::string(info.param.name) + "_" + std::to_string(info.param.id);
}

// --- Dialog templates -------------------------------------------------------

struct Control {
    int id;
    const char* cls;
    const char* text;  // nullptr for the icon static, which shows icon 128
    DWORD style;       // as written in the template
    DWORD exStyle;
    int x, y, w, h;    // dialog units
};

struct Dialog {
    const char* name;
    int id;
    DWORD style;
    DWORD exStyle;
    const char* caption;
    int w, h;  // client area, dialog units
    std::vector<Control> controls;
};

constexpr DWORD SHOWN = WS_CHILD | WS_VISIBLE;
constexpr DWORD HIDDEN = WS_CHILD;
constexpr DWORD FRAMED = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

const Dialog kDialogs[] = {
    {"Version", 102, WS_POPUP | DS_SETFONT,
     WS_EX_APPWINDOW | WS_EX_STATICEDGE | WS_EX_CLIENTEDGE, "", 95, 72, {
        {-1, "Static", nullptr, SHOWN | SS_ICON, WS_EX_DLGMODALFRAME, 5, 5, 20, 20},
        {1003, "Static", "ver", SHOWN | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, 0, 35, 20, 60, 10},
        {1004, "Static", QUILLPAD_COPYRIGHT, SHOWN | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0,
         0, 35, 95, 10},
        {1, "Button", "OK", SHOWN | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_FLAT, 0, 20, 55, 50, 14},
    }},
    // The caption strip 1004 and the text 1002 have no SS_NOTIFY, so that
    // clicks on them reach the memo window.
    {"Memo", 129, WS_POPUP | WS_THICKFRAME | DS_SETFONT, WS_EX_STATICEDGE, "", 175, 129, {
        {1005, "Edit", "", HIDDEN | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_STATICEDGE, 0, 15, 175, 12},
        {1001, "Edit", "", HIDDEN | WS_TABSTOP, WS_EX_STATICEDGE, 40, 105, 95, 15},
        {1, "Button", "OK", HIDDEN | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_FLAT, 0, 135, 105, 25, 15},
        {2, "Button", "×", HIDDEN | WS_TABSTOP | BS_FLAT, 0, 160, 105, 15, 15},
        {1004, "Static", "", SHOWN | WS_GROUP | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_CENTERIMAGE,
         WS_EX_STATICEDGE, 0, 0, 175, 10},
        {1002, "Static", "", SHOWN | WS_GROUP | SS_LEFT | SS_NOPREFIX, WS_EX_STATICEDGE,
         0, 30, 175, 55},
        {1020, "SysTabControl32", "Tab1", SHOWN | TCS_BOTTOM | TCS_FOCUSNEVER, 0, 0, 85, 175, 15},
        {1003, "Static", "タブタイトル",
         HIDDEN | WS_GROUP | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_CENTERIMAGE, WS_EX_STATICEDGE,
         0, 105, 40, 15},
    }},
    {"Options", 131, FRAMED, 0, "オプション設定", 179, 255, {
        {1032, "SysTabControl32", "", SHOWN | WS_TABSTOP, 0, 5, 5, 170, 220},
        {1, "Button", "OK", SHOWN | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_FLAT, 0, 100, 235, 35, 14},
        {2, "Button", "ｷｬﾝｾﾙ", SHOWN | WS_TABSTOP | BS_FLAT, 0, 140, 235, 35, 14},
    }},
    {"Colours", 136, FRAMED, 0, "色設定", 163, 105, {
        {1027, "Static", "タイトル", SHOWN | SS_CENTER | SS_CENTERIMAGE, WS_EX_STATICEDGE,
         5, 10, 80, 10},
        {1028, "Static", "メモ", SHOWN | SS_CENTER | SS_CENTERIMAGE, WS_EX_STATICEDGE,
         5, 20, 80, 55},
        {-1, "Button", "タイトル", SHOWN | BS_GROUPBOX, 0, 90, 5, 70, 25},
        {1029, "Button", "文字色", SHOWN | WS_TABSTOP | BS_FLAT, 0, 95, 15, 30, 10},
        {1017, "Button", "背景色", SHOWN | WS_TABSTOP | BS_FLAT, 0, 125, 15, 30, 10},
        {-1, "Button", "メモ", SHOWN | BS_GROUPBOX, 0, 90, 35, 70, 25},
        {1013, "Button", "文字色", SHOWN | WS_TABSTOP | BS_FLAT, 0, 95, 45, 30, 10},
        {1014, "Button", "背景色", SHOWN | WS_TABSTOP | BS_FLAT, 0, 125, 45, 30, 10},
        {1018, "Button", "デフォルトに戻す", SHOWN | WS_TABSTOP | BS_FLAT, 0, 90, 65, 70, 10},
        {1, "Button", "OK", SHOWN | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_FLAT, 0, 80, 85, 40, 14},
        {2, "Button", "ｷｬﾝｾﾙ", SHOWN | WS_TABSTOP | BS_FLAT, 0, 125, 85, 35, 14},
    }},
    {"MemoPage", 139, WS_CHILD | WS_VISIBLE | DS_SETFONT | DS_CONTROL, 0, "", 127, 132, {
        {-1, "Button", "デフォルト色", SHOWN | BS_GROUPBOX, 0, 5, 5, 115, 55},
        {1015, "Static", "タイトル", SHOWN | SS_CENTER, WS_EX_STATICEDGE, 10, 20, 55, 10},
        {1012, "Static", "メモ", SHOWN | SS_CENTER, WS_EX_STATICEDGE, 10, 30, 55, 20},
        {1018, "Button", "設定", SHOWN | WS_TABSTOP | BS_FLAT, 0, 75, 35, 40, 15},
        {1027, "Button", "タブを非表示", SHOWN | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 10, 70, 50, 10},
        {1029, "Button", "文字を折返す", SHOWN | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 10, 85, 50, 10},
    }},
    {"GeneralPage", 140, WS_CHILD | WS_VISIBLE | DS_SETFONT | DS_CONTROL, 0, "", 127, 195, {
        {-1, "Button", "共通設定", SHOWN | BS_GROUPBOX, 0, 5, 5, 110, 65},
        {1028, "Button", "タブを複数行", SHOWN | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 13, 21, 50, 10},
        {1026, "Button", "削除確認を行う", SHOWN | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 13, 37, 55, 10},
        {1025, "Button", "編集時 メモを選択", SHOWN | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
         13, 51, 65, 10},
        {-1, "Static", "ウィンドウ吸着幅", SHOWN | SS_RIGHT | SS_CENTERIMAGE, 0, 10, 75, 49, 14},
        {1035, "Edit", "", SHOWN | WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL, 0,
         66, 75, 34, 14},
        {1036, "msctls_updown32", "",
         SHOWN | UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_NOTHOUSANDS, 0,
         100, 75, 9, 14},
        {-1, "Button", "ショートカットキー", SHOWN | BS_GROUPBOX, 0, 5, 100, 110, 55},
        {1034, "ComboBox", "", SHOWN | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
         10, 115, 100, 100},
        {1033, "msctls_hotkey32", "", SHOWN | WS_TABSTOP | WS_BORDER, 0, 10, 135, 100, 14},
        {1037, "Button", "Windows の起動時に開始する", SHOWN | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 8, 160, 110, 10},
        {1038, "Static", "", HIDDEN | SS_LEFT | SS_NOPREFIX, 0, 8, 171, 140, 18},
    }},
    {"Restore", 141, FRAMED, 0, "バックアップから復元", 260, 190, {
        {1040, "ListBox", "",
         SHOWN | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 5, 5, 250, 70},
        {1041, "Edit", "",
         SHOWN | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
         5, 80, 250, 80},
        {1, "Button", "OK", SHOWN | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_FLAT, 0, 125, 170, 40, 14},
        {1042, "Button", "追加", SHOWN | WS_TABSTOP | BS_FLAT, 0, 170, 170, 40, 14},
        {2, "Button", "キャンセル", SHOWN | WS_TABSTOP | BS_FLAT, 0, 215, 170, 40, 14},
    }},
    {"Find", 142, FRAMED, 0, "検索", 330, 170, {
        {-1, "Static", "検索する文字列(&N):", SHOWN | SS_LEFT | SS_CENTERIMAGE, 0, 5, 5, 70, 12},
        {1050, "Edit", "", SHOWN | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL, 0, 75, 5, 250, 12},
        {1051, "Static", "", SHOWN | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_CENTERIMAGE, 0, 5, 20, 320, 10},
        {1052, "SysListView32", "", SHOWN | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
         LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 0, 5, 32, 320, 133},
    }},
    {"Reminder", 143, FRAMED, 0, "アラーム", 175, 65, {
        {-1, "Static", "日時(&T):", SHOWN | SS_LEFT | SS_CENTERIMAGE, 0, 5, 5, 40, 14},
        {1060, "SysDateTimePick32", "", SHOWN | WS_TABSTOP | DTS_SHORTDATEFORMAT, 0, 45, 5, 70, 14},
        {1061, "SysDateTimePick32", "", SHOWN | WS_TABSTOP | DTS_TIMEFORMAT | DTS_UPDOWN, 0, 120, 5, 50, 14},
        {-1, "Static", "繰り返し(&R):", SHOWN | SS_LEFT | SS_CENTERIMAGE, 0, 5, 24, 40, 14},
        {1062, "ComboBox", "", SHOWN | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 45, 24, 70, 80},
        {1, "Button", "OK", SHOWN | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_FLAT, 0, 45, 45, 40, 14},
        {1063, "Button", "解除(&C)", SHOWN | WS_TABSTOP | BS_FLAT, 0, 90, 45, 40, 14},
        {2, "Button", "ｷｬﾝｾﾙ", SHOWN | WS_TABSTOP | BS_FLAT, 0, 135, 45, 35, 14},
    }},
};

// What the dialog manager makes of a template entry: every control gets
// WS_EX_NOPARENTNOTIFY, a plain border is drawn as a sunken client edge, and a
// modal-frame edge comes with WS_EX_WINDOWEDGE.
void asCreated(const Control& c, DWORD* style, DWORD* exStyle) {
    *style = c.style;
    *exStyle = c.exStyle | WS_EX_NOPARENTNOTIFY;
    if (*style & WS_BORDER) {
        *style &= ~WS_BORDER;
        *exStyle |= WS_EX_CLIENTEDGE;
    }
    if (*exStyle & WS_EX_DLGMODALFRAME) *exStyle |= WS_EX_WINDOWEDGE;
}

// Bits the window system adds to a dialog window of its own accord.
constexpr DWORD kSystemDialogStyle = DS_3DLOOK | WS_CLIPSIBLINGS;
constexpr DWORD kSystemDialogExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME;

// Every window created while a dialog is being built, with the creation
// parameters the dialog manager passed: those are the template's values in
// pixels, before a control adjusts itself (an icon static takes its icon's
// size, an up-down control moves beside its buddy, a combo box keeps only
// its closed height).
struct Creation {
    HWND hwnd;
    HWND parent;
    DWORD style;
    DWORD exStyle;
    int x, y, cx, cy;
};
std::vector<Creation> g_creations;

LRESULT CALLBACK recordCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        g_creations.push_back({reinterpret_cast<HWND>(wParam), cs->hwndParent,
                               static_cast<DWORD>(cs->style), cs->dwExStyle, cs->x, cs->y,
                               cs->cx, cs->cy});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK plainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void initCommonControls() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_HOTKEY_CLASS |
                                                ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                ICC_DATE_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
}

// A dialog made from one template: popups without owner, child pages inside
// a hidden popup. `controls` receives the creation of each control, in order.
class DialogWindow {
public:
    DialogWindow(int templateId, bool child, std::vector<Creation>* controls = nullptr) {
        initCommonControls();
        if (child)
            parent_ = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 600, 600, nullptr,
                                      nullptr, instance(), nullptr);
        g_creations.clear();
        HHOOK hook = SetWindowsHookExA(WH_CBT, recordCreation, nullptr, GetCurrentThreadId());
        hwnd_ = CreateDialogParamA(instance(), MAKEINTRESOURCEA(templateId), parent_,
                                   plainDialogProc, 0);
        UnhookWindowsHookEx(hook);
        if (controls)
            for (const Creation& c : g_creations)
                if (hwnd_ && c.parent == hwnd_) controls->push_back(c);
    }
    ~DialogWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
        if (parent_) DestroyWindow(parent_);
    }
    HWND hwnd() const { return hwnd_; }

    // Origin and size of a dialog-unit rectangle in pixels, each converted
    // on its own as the dialog manager does.
    RECT pixels(int x, int y, int w, int h) const {
        RECT r = {x, y, w, h};
        MapDialogRect(hwnd_, &r);
        return r;
    }

private:
    HWND parent_ = nullptr;
    HWND hwnd_ = nullptr;
};

std::string windowText(HWND hwnd) {
    char buf[256] = "";
    GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

std::string className(HWND hwnd) {
    char buf[64] = "";
    GetClassNameA(hwnd, buf, sizeof buf);
    return buf;
}

void PrintTo(const Dialog& d, std::ostream* os) { *os << "template " << d.id; }

class DialogTemplate : public testing::TestWithParam<Dialog> {};

TEST_P(DialogTemplate, MatchesItsTable) {
    const Dialog& table = GetParam();
    std::vector<Creation> controls;
    DialogWindow dialog(table.id, (table.style & WS_CHILD) != 0, &controls);
    HWND dlg = dialog.hwnd();
    ASSERT_NE(dlg, nullptr) << "template " << table.id;

    EXPECT_EQ(GetWindowLongA(dlg, GWL_STYLE) & ~kSystemDialogStyle, (LONG)table.style);
    EXPECT_EQ(GetWindowLongA(dlg, GWL_EXSTYLE) & ~kSystemDialogExStyle, (LONG)table.exStyle);
    EXPECT_EQ(windowText(dlg), table.caption);

    RECT client;
    GetClientRect(dlg, &client);
    RECT size = dialog.pixels(0, 0, table.w, table.h);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    LOGFONTA font = {};
    HFONT hfont = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));
    ASSERT_NE(hfont, nullptr);
    ASSERT_TRUE(GetObjectA(hfont, sizeof font, &font));
    EXPECT_STREQ(font.lfFaceName, kDialogFace);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -MulDiv(kDialogPoints, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);

    ASSERT_EQ(controls.size(), table.controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& want = table.controls[i];
        const Creation& got = controls[i];
        SCOPED_TRACE(testing::Message() << "control " << i << ", id " << want.id);
        EXPECT_EQ(GetDlgCtrlID(got.hwnd), want.id);
        EXPECT_EQ(lstrcmpiA(className(got.hwnd).c_str(), want.cls), 0)
            << className(got.hwnd) << " is not " << want.cls;
        if (lstrcmpiA(want.cls, "SysDateTimePick32") == 0) {
            // a date-time picker's text is the time it shows
        } else if (want.text) {
            EXPECT_EQ(windowText(got.hwnd), want.text);
        } else {
            HICON shown = reinterpret_cast<HICON>(SendMessageA(got.hwnd, STM_GETICON, 0, 0));
            EXPECT_EQ(shown, LoadIconA(instance(), MAKEINTRESOURCEA(128)));
        }
        DWORD style, exStyle;
        asCreated(want, &style, &exStyle);
        EXPECT_EQ(got.style, style) << std::hex << got.style << " != " << style;
        EXPECT_EQ(got.exStyle, exStyle) << std::hex << got.exStyle << " != " << exStyle;
        RECT r = dialog.pixels(want.x, want.y, want.w, want.h);
        EXPECT_EQ(got.x, r.left);
        EXPECT_EQ(got.y, r.top);
        EXPECT_EQ(got.cx, r.right);
        EXPECT_EQ(got.cy, r.bottom);
    }
}

INSTANTIATE_TEST_SUITE_P(All, DialogTemplate, testing::ValuesIn(kDialogs), paramName<Dialog>);

// The snap-width arrows attach themselves to the control before them.
TEST(GeneralPage, UpDownTakesTheSnapWidthEditAsBuddy) {
    DialogWindow page(140, true);
    ASSERT_NE(page.hwnd(), nullptr);
    HWND buddy = reinterpret_cast<HWND>(
        SendDlgItemMessageA(page.hwnd(), 1036, UDM_GETBUDDY, 0, 0));
    EXPECT_EQ(GetDlgCtrlID(buddy), 1035);
}

// --- Menus --------------------------------------------------------------------

struct Item {
    const char* text;  // nullptr: separator
    UINT id;
    std::vector<Item> popup;
};
const Item SEPARATOR = {nullptr, 0, {}};

// Items come in order; all start enabled and unchecked (the check mark of
// "常に最前面(&F)" is the memo's only record of being on top).
void expectMenu(HMENU menu, const std::vector<Item>& items) {
    ASSERT_EQ(GetMenuItemCount(menu), (int)items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& want = items[i];
        SCOPED_TRACE(testing::Message() << "position " << i);
        char text[128] = "";
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
        mii.dwTypeData = text;
        mii.cch = sizeof text;
        ASSERT_TRUE(GetMenuItemInfoA(menu, i, TRUE, &mii));
        if (!want.text) {
            EXPECT_TRUE(mii.fType & MFT_SEPARATOR);
            continue;
        }
        EXPECT_FALSE(mii.fType & MFT_SEPARATOR);
        EXPECT_STREQ(text, want.text);
        EXPECT_EQ(mii.fState & (MFS_CHECKED | MFS_GRAYED), 0u);
        if (want.popup.empty()) {
            EXPECT_EQ(mii.hSubMenu, nullptr);
            EXPECT_EQ(mii.wID, want.id);
        } else {
            ASSERT_NE(mii.hSubMenu, nullptr);
            expectMenu(mii.hSubMenu, want.popup);
        }
    }
}

struct Menu {
    const char* name;
    int id;
    std::vector<Item> items;
};

const Menu kMenus[] = {
    {"Memo", 130, {{"編集", 0, {
        {"タブの追加(&A)", 32778, {}},
        {"タブの削除(&X)", 32780, {}},
        SEPARATOR,
        {"メモの削除(&D)", 32772, {}},
        SEPARATOR,
        {"アラーム(&A)...", 32802, {}},
        {"プロパティ(&O)", 0, {
            {"色変更(&C)", 32793, {}},
            SEPARATOR,
            {"タブの表示(&H)", 32792, {}},
            {"文字の折返し(&W)", 32794, {}},
            {"常に最前面(&F)", 32786, {}},
            {"位置固定(&N)", 32799, {}},
        }},
    }}}},
    {"Due", 133, {{"アラーム", 0, {
        {"完了(&D)", 32810, {}},
        SEPARATOR,
        {"5 分後に再通知(&5)", 32811, {}},
        {"10 分後に再通知(&1)", 32812, {}},
        {"30 分後に再通知(&3)", 32813, {}},
        {"1 時間後に再通知(&H)", 32814, {}},
        {"明日の同じ時刻に再通知(&T)", 32815, {}},
    }}}},
    {"Tray", 132, {{"システム", 0, {
        {"全削除(&D)", 32784, {}},
        {"メモの追加(&A)", 32774, {}},
        SEPARATOR,
        {"検索(&F)...", 32801, {}},
        {"オプション(&O)", 32781, {}},
        {"バックアップから復元(&R)...", 32800, {}},
        SEPARATOR,
        {"バージョン情報(&V)", 32777, {}},
        {"終了(&X)", 32775, {}},
    }}}},
};

void PrintTo(const Menu& m, std::ostream* os) { *os << "menu " << m.id; }

class MenuResource : public testing::TestWithParam<Menu> {};

TEST_P(MenuResource, MatchesItsTable) {
    HMENU menu = LoadMenuA(instance(), MAKEINTRESOURCEA(GetParam().id));
    ASSERT_NE(menu, nullptr);
    expectMenu(menu, GetParam().items);
    DestroyMenu(menu);
}

INSTANTIATE_TEST_SUITE_P(All, MenuResource, testing::ValuesIn(kMenus), paramName<Menu>);

// --- Icons --------------------------------------------------------------------

struct Icon {
    const char* name;
    int id;
    WORD bitCount;
    BYTE colorCount;  // 0 stands for 256 colours or more
};

const Icon kIcons[] = {
    {"App", 128, 8, 0},
    {"Tray", 137, 4, 16},
};

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupIconDir {
    WORD reserved, type, count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

const void* resourceData(LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(instance(), name, type);
    return found ? LockResource(LoadResource(instance(), found)) : nullptr;
}

void PrintTo(const Icon& i, std::ostream* os) { *os << "icon " << i.id; }

class IconResource : public testing::TestWithParam<Icon> {};

TEST_P(IconResource, LoadsAt32x32) {
    HICON icon = static_cast<HICON>(
        LoadImageA(instance(), MAKEINTRESOURCEA(GetParam().id), IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm = {};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    EXPECT_EQ(bm.bmHeight, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
}

// Every image of the icon has the colour depth, in the directory and in the
// image that is picked for 32 x 32.
TEST_P(IconResource, HasItsColourDepth) {
    const Icon& want = GetParam();
    auto dir = static_cast<const GroupIconDir*>(
        resourceData(MAKEINTRESOURCEA(want.id), RT_GROUP_ICON));
    ASSERT_NE(dir, nullptr);
    ASSERT_GE(dir->count, 1);
    bool has32 = false;
    for (int i = 0; i < dir->count; ++i) {
        const GroupIconEntry& e = dir->entries[i];
        EXPECT_EQ(e.bitCount, want.bitCount) << "entry " << i;
        EXPECT_EQ(e.colorCount, want.colorCount) << "entry " << i;
        has32 = has32 || (e.width == 32 && e.height == 32);
    }
    EXPECT_TRUE(has32);

    int image = LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(const_cast<GroupIconDir*>(dir)),
                                            TRUE, 32, 32, LR_DEFAULTCOLOR);
    auto bits = static_cast<const BITMAPINFOHEADER*>(
        resourceData(MAKEINTRESOURCEA(image), RT_ICON));
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits->biWidth, 32);
    EXPECT_EQ(bits->biHeight, 64);  // colour and mask
    EXPECT_EQ(bits->biBitCount, want.bitCount);
}

INSTANTIATE_TEST_SUITE_P(All, IconResource, testing::ValuesIn(kIcons), paramName<Icon>);

// --- Version block --------------------------------------------------------------

// Read the way the version dialog reads it: first translation, then the
// strings under "\StringFileInfo\<language><code page>\".
TEST(VersionBlock, NamesTheProgramAndMatchesTheVersionDialog) {
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    DWORD unused;
    DWORD size = GetFileVersionInfoSizeA(path, &unused);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

    void* value;
    UINT length;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    DWORD translation = *static_cast<DWORD*>(value);
    EXPECT_EQ(LOWORD(translation), 0x0411);
    EXPECT_EQ(HIWORD(translation), 0x04B0);

    char prefix[64];
    wsprintfA(prefix, "\\StringFileInfo\\%04X%04X\\", LOWORD(translation), HIWORD(translation));
    auto query = [&](const char* key) -> std::string {
        std::string name = std::string(prefix) + key;
        if (!VerQueryValueA(block.data(), name.c_str(), &value, &length)) return "(missing)";
        return static_cast<const char*>(value);
    };
    EXPECT_EQ(query("FileDescription"), "クイルパッド");
    EXPECT_EQ(query("ProductVersion"), "2.7.1");
    std::string copyright = query("LegalCopyright");
    EXPECT_NE(copyright, "");
    EXPECT_NE(copyright, "(missing)");

    DialogWindow version(102, false);
    ASSERT_NE(version.hwnd(), nullptr);
    EXPECT_EQ(windowText(GetDlgItem(version.hwnd(), 1004)), copyright);
}

}  // namespace
