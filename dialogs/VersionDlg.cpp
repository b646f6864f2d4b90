#include "dialogs/VersionDlg.h"
#include <windowsx.h>
#include <cstdio>
#include <string>
#include <vector>
#include "res/resource.h"
#include "win/Gdi.h"
#include "win/SystemLibrary.h"

namespace {

// The version block of a program file, read whole.
class VersionBlock {
public:
    explicit VersionBlock(const char* path) {
        DWORD size = win::getFileVersionInfoSize(path);
        if (size == 0) return;
        data_.resize(size);
        if (!win::getFileVersionInfo(path, size, data_.data())) data_.clear();
    }

    // The string-table prefix "\StringFileInfo\<language><code page>\" of the
    // first translation entry; false when the block has none.
    bool stringTable(std::string& prefix) const {
        UINT length = 0;
        const void* value = query("\\VarFileInfo\\Translation", length);
        if (!value || length < sizeof(DWORD)) return false;
        DWORD translation = *static_cast<const DWORD*>(value);
        char text[40];
        snprintf(text, sizeof text, "\\StringFileInfo\\%04X%04X\\", LOWORD(translation), HIWORD(translation));
        prefix = text;
        return true;
    }

    // A string of the block, or null when it has none by that name.
    const char* string(const std::string& name) const {
        UINT length = 0;
        return static_cast<const char*>(query(name.c_str(), length));
    }

private:
    const void* query(const char* name, UINT& length) const {
        void* value = nullptr;
        if (data_.empty() || !win::verQueryValue(data_.data(), name, &value, &length)) return nullptr;
        return value;
    }
    std::vector<char> data_;
};

// A line longer than its static (a longer name or version than the template
// was drawn for) would be cut: the static grows to the text's width, keeping
// its left edge, and the dialog with it when the static would pass its edge.
void widenToText(HWND dialog, HWND line) {
    char text[256] = {};
    GetWindowTextA(line, text, sizeof text);
    int width = win::textWidth(line, text);
    RECT place;
    GetClientRect(line, &place);
    if (width <= place.right) return;
    GetWindowRect(line, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    SetWindowPos(line, nullptr, 0, 0, width, place.bottom - place.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client, frame;
    GetClientRect(dialog, &client);
    int beyond = place.left + width - client.right;
    if (beyond <= 0) return;
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + beyond, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CVersionDlg::CVersionDlg()
    : win::Dialog(IDD_VERSION), icon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))) {}

const win::MessageTable* CVersionDlg::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onMessage(WM_LBUTTONDOWN, &CVersionDlg::OnLButtonDown),
        win::onMessage(WM_PAINT, &CVersionDlg::OnPaint),
        win::onMessage(WM_QUERYDRAGICON, &CVersionDlg::OnQueryDragIcon),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

BOOL CVersionDlg::OnInitDialog() {
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    setVersionText();
    return TRUE;
}

// A static keeps its template text when the block lacks what it would show.
void CVersionDlg::setVersionText() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    VersionBlock block(path);
    std::string prefix;
    if (!block.stringTable(prefix)) return;
    const char* description = block.string(prefix + "FileDescription");
    const char* version = block.string(prefix + "ProductVersion");
    const char* copyright = block.string(prefix + "LegalCopyright");
    if (description && version) {
        SetDlgItemTextA(hwnd(), IDC_VERSION_NAME, (std::string(description) + " ver " + version).c_str());
    }
    if (copyright) SetDlgItemTextA(hwnd(), IDC_VERSION_COPYRIGHT, copyright);
    for (int line : {IDC_VERSION_NAME, IDC_VERSION_COPYRIGHT}) widenToText(hwnd(), item(line));
}

// The icon and the texts are plain statics, which let the press through. The
// system moves the window as if its caption had been grabbed, until the
// button is released.
LRESULT CVersionDlg::OnLButtonDown(WPARAM, LPARAM lParam) {
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hwnd(), &at);
    SendMessageA(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
    return defaultProcessing();
}

void CVersionDlg::OnPaint() {
    if (!IsIconic(hwnd())) {
        defaultProcessing();
        return;
    }
    win::PaintDC dc(hwnd());
    SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    RECT client;
    GetClientRect(hwnd(), &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc.get(), x, y, icon_);
}

LRESULT CVersionDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(icon_); }
