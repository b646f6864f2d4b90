// The memo's reminder: the dialog that sets it, its clock in the caption
// strip, and the due memo that flashes until the user answers it.
#include "dialogs/ReminderDlg.h"
#include "memo/MemoDlg.h"
#include "res/Messages.h"
#include "res/resource.h"

namespace {

const UINT_PTR FLASH_TIMER = 1;
const UINT FLASH_MS = 500;

}  // namespace

// The memo owns the dialog: a memo deleted meanwhile (全削除) gets nothing. A
// reminder that rang while the dialog was open and was left as it was stays
// ringing, and rings no second time.
void CMemoDlg::OnReminder() {
    const std::optional<Reminder> before = reminder_;
    CReminderDlg dialog(reminder_, systemClock().now().local);
    const INT_PTR result = dialog.doModal(hwnd());
    if (result == IDCANCEL || result == -1 || !hwnd() || dialog.reminder() == before) return;
    reminder_ = dialog.reminder();
    setFlashing(false);
    markChanged();
    showClock();
    requestSave();
}

void CMemoDlg::ring() {
    runHandler("ring", [this] {
        if (!reminder_) return;
        reminder_->ringing = true;
        markChanged();
        pullBackOnScreen();
        // Above every other window, the user's among them, but without the keys.
        const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        if (topmost()) {
            SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, flags);
        } else {
            SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, flags);
            SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
        }
        showClock();
        setFlashing(true);
    });
}

bool CMemoDlg::touched() {
    if (!reminder_ || !reminder_->ringing) return false;
    setFlashing(false);
    if (!dueMenuPending_) {
        dueMenuPending_ = true;
        PostMessageA(hwnd(), WM_DUE_MENU, 0, 0);
    }
    return true;
}

// Under the caption strip, by mouse or by its keys. Closed without a choice,
// the memo stays due: its clock is red, and the next touch offers it again.
void CMemoDlg::OnDueMenu() {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_DUE_MENU));
    RECT strip;
    GetWindowRect(item(IDC_MEMO_CAPTION), &strip);
    SetForegroundWindow(hwnd());
    const UINT chosen = UINT(TrackPopupMenu(GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_NONOTIFY, strip.left,
                                            strip.bottom, 0, hwnd(), nullptr));
    DestroyMenu(menu);
    dueMenuPending_ = false;
    // The menu's loop ran our handlers: the memo may be gone, or a merge may
    // have brought the other PC's answer.
    if (!hwnd() || !reminder_ || !reminder_->ringing || chosen == 0) return;
    answerDue(chosen);
}

void CMemoDlg::answerDue(UINT command) {
    static const struct {
        UINT command;
        Snooze snooze;
    } SNOOZES[] = {{ID_SNOOZE_5, Snooze::Minutes5}, {ID_SNOOZE_10, Snooze::Minutes10}, {ID_SNOOZE_30, Snooze::Minutes30},
                   {ID_SNOOZE_HOUR, Snooze::Hour1}, {ID_SNOOZE_TOMORROW, Snooze::Tomorrow}};
    const LocalTime now = systemClock().now().local;
    if (command == ID_DUE_DONE) reminder_ = completeReminder(*reminder_, now);
    for (const auto& s : SNOOZES) {
        if (s.command == command) reminder_ = snoozeReminder(*reminder_, s.snooze, now);
    }
    markChanged();
    showClock();
    requestSave();
}

void CMemoDlg::showClock() {
    using Clock = CCaptionStrip::Clock;
    captionStrip_.setClock(!reminder_ ? Clock::None : reminder_->ringing ? Clock::Due : Clock::Set);
}

void CMemoDlg::setFlashing(bool flashing) {
    if (flashing == flashing_) return;
    flashing_ = flashing;
    if (flashing) {
        SetTimer(hwnd(), FLASH_TIMER, FLASH_MS, nullptr);
    } else {
        KillTimer(hwnd(), FLASH_TIMER);
    }
    lit_ = flashing;
    captionStrip_.setLit(lit_);
}

LRESULT CMemoDlg::OnTimer(WPARAM id, LPARAM) {
    if (id == FLASH_TIMER) captionStrip_.setLit(lit_ = !lit_);
    return 0;
}
