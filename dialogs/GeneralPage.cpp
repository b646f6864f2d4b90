#include "dialogs/GeneralPage.h"
#include <commctrl.h>
#include <string>
#include <utility>
#include "dialogs/OptionValues.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "win/RunKey.h"

CGeneralPage::CGeneralPage() : win::Dialog(IDD_GENERAL_PAGE) {}

const win::MessageTable* CGeneralPage::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onControl(IDC_GENERAL_HOTKEY_LIST, CBN_DROPDOWN, &CGeneralPage::OnHotKeyListDropDown),
        win::onControl(IDC_GENERAL_HOTKEY_LIST, CBN_SELCHANGE, &CGeneralPage::OnHotKeyListSelChange),
        win::onControl(IDC_GENERAL_HOTKEY, EN_CHANGE, &CGeneralPage::OnHotKeyChange),
        win::onMessage(WM_SHOWWINDOW, &CGeneralPage::OnShowWindow),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

void CGeneralPage::setSettings(GeneralSettings general) {
    settings_ = std::move(general);
    setChecked(IDC_GENERAL_TEXT_SELECT, settings_.TEXT_SELECT_FLAG);
    setChecked(IDC_GENERAL_DEL_CHECK, settings_.DEL_CHECK_FLAG);
    setChecked(IDC_GENERAL_TAB_MODE, settings_.TAB_MODE_FLAG);
    HWND list = item(IDC_GENERAL_HOTKEY_LIST);
    for (size_t i = 0; i < settings_.hotKeys.size(); ++i) {
        SendMessageA(list, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(settings_.hotKeys[i].name.c_str()));
    }
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    loadHotKey();
    // The arrows step within 0 to 100. The up-down control writes its
    // position, clamped to that range, into the edit: the stored width is
    // written over it, so that an OK does not lower a width above 100.
    HWND arrows = item(IDC_GENERAL_ABSORB_SPIN);
    SendMessageA(arrows, UDM_SETRANGE, 0, MAKELPARAM(100, 0));
    SendMessageA(arrows, UDM_SETPOS, 0, MAKELPARAM(LOWORD(settings_.ABSORB), 0));
    shownAbsorb_ = std::to_string(settings_.ABSORB);
    SetDlgItemTextA(hwnd(), IDC_GENERAL_ABSORB, shownAbsorb_.c_str());
}

void CGeneralPage::getSettings(GeneralSettings& general) {
    settings_.TEXT_SELECT_FLAG = isChecked(IDC_GENERAL_TEXT_SELECT);
    settings_.DEL_CHECK_FLAG = isChecked(IDC_GENERAL_DEL_CHECK);
    settings_.TAB_MODE_FLAG = isChecked(IDC_GENERAL_TAB_MODE);
    storeHotKey();
    // A width the user left alone goes back as it came, a negative one too.
    // Digits: the settings file's own text, as the edit shows it.
    std::string absorb(GetWindowTextLengthA(item(IDC_GENERAL_ABSORB)) + 1, '\0');
    absorb.resize(GetDlgItemTextA(hwnd(), IDC_GENERAL_ABSORB, &absorb[0], int(absorb.size())));
    if (absorb != shownAbsorb_) settings_.ABSORB = snapWidthFromText(absorb);
    general = settings_;
}

void CGeneralPage::showStartAtLogon() {
    const std::optional<std::wstring> command = win::runEntry(texts::RUN_ENTRY_NAME);
    const std::wstring started = command ? startedProgram(*command) : std::wstring();
    startsThis_ = command && lstrcmpiW(started.c_str(), win::programPath().c_str()) == 0;
    setChecked(IDC_GENERAL_START_AT_LOGON, startsThis_);
    const bool other = command && !startsThis_;
    if (other) setItemText(IDC_GENERAL_START_NOTE, texts::STARTS_OTHER_COPY + started);
    ShowWindow(item(IDC_GENERAL_START_NOTE), other ? SW_SHOWNA : SW_HIDE);
}

// Left as it was shown, the key keeps what it holds, another copy's command too.
bool CGeneralPage::applyStartAtLogon() {
    const bool checked = isChecked(IDC_GENERAL_START_AT_LOGON);
    if (checked == startsThis_) return true;
    const std::optional<std::wstring> command =
        checked ? std::optional<std::wstring>(startCommand(win::programPath())) : std::nullopt;
    return win::setRunEntry(texts::RUN_ENTRY_NAME, command);
}

void CGeneralPage::loadHotKey() {
    LRESULT selected = SendDlgItemMessageA(hwnd(), IDC_GENERAL_HOTKEY_LIST, CB_GETCURSEL, 0, 0);
    if (selected < 0 || static_cast<size_t>(selected) >= settings_.hotKeys.size()) return;
    shownHotKey_ = static_cast<int>(selected);
    showHotKey();
}

// Any key pressed in the control clears its key: a modifier held down leaves
// "Shift +" shown and, on Wine, nothing reported, until a key completes it.
// A modifier held now is a key not finished; released, the field is empty.
void CGeneralPage::OnHotKeyChange() {
    LRESULT value = SendDlgItemMessageA(hwnd(), IDC_GENERAL_HOTKEY, HKM_GETHOTKEY, 0, 0);
    bool held = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
    if (LOBYTE(value) != 0) completeKey_ = LOWORD(value);
    unfinishedKey_ = LOBYTE(value) == 0 && (HIBYTE(value) != 0 || held);
}

void CGeneralPage::showHotKey() {
    completeKey_ = hotKeyControlValue(settings_.hotKeys[shownHotKey_]);
    unfinishedKey_ = false;
    SendDlgItemMessageA(hwnd(), IDC_GENERAL_HOTKEY, HKM_SETHOTKEY, completeKey_, 0);
}

// Into the entry the control shows: at CBN_SELCHANGE the list has already
// moved on to another one. A key not finished (Shift+Tab leaves the field
// with Shift held) stands for the last one that was: the control shows it
// again and it is stored.
void CGeneralPage::storeHotKey() {
    if (shownHotKey_ < 0) return;
    if (unfinishedKey_) {
        unfinishedKey_ = false;
        SendDlgItemMessageA(hwnd(), IDC_GENERAL_HOTKEY, HKM_SETHOTKEY, completeKey_, 0);
    }
    LRESULT value = SendDlgItemMessageA(hwnd(), IDC_GENERAL_HOTKEY, HKM_GETHOTKEY, 0, 0);
    if (!storeHotKeyControlValue(LOWORD(value), settings_.hotKeys[shownHotKey_])) showHotKey();
}

// The list opens: the key typed so far belongs to the entry still selected.
void CGeneralPage::OnHotKeyListDropDown() { storeHotKey(); }

// Keys typed before the selection moved are kept, also when it was moved with
// the arrow keys without opening the list.
void CGeneralPage::OnHotKeyListSelChange() {
    storeHotKey();
    loadHotKey();
}

// The user switched to the other page.
LRESULT CGeneralPage::OnShowWindow(WPARAM shown, LPARAM) {
    defaultProcessing();
    if (!shown) storeHotKey();
    return 0;
}
