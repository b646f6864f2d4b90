#include "dialogs/ReminderDlg.h"
#include <commctrl.h>
#include <iterator>
#include "res/Texts.h"
#include "res/resource.h"
#include "win/SystemLibrary.h"

namespace {

SYSTEMTIME systemTime(const LocalTime& t) {
    SYSTEMTIME st = {};
    st.wYear = WORD(t.year), st.wMonth = WORD(t.month), st.wDay = WORD(t.day);
    st.wDayOfWeek = WORD(dayOfWeek(t));
    st.wHour = WORD(t.hour), st.wMinute = WORD(t.minute), st.wSecond = WORD(t.second);
    return st;
}

SYSTEMTIME pickerTime(HWND picker) {
    SYSTEMTIME st = {};
    SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    return st;
}

}  // namespace

CReminderDlg::CReminderDlg(const std::optional<Reminder>& reminder, const LocalTime& now)
    : win::Dialog(IDD_REMINDER), reminder_(reminder), now_(now) {
    win::initCommonControls(ICC_DATE_CLASSES);
}

const win::MessageTable* CReminderDlg::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onCommand(IDC_REMINDER_CLEAR, &CReminderDlg::OnClear),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

BOOL CReminderDlg::OnInitDialog() {
    LocalTime at = addMinutes(now_, 60);
    at.minute = at.second = 0;
    if (reminder_) at = reminder_->at;
    const SYSTEMTIME st = systemTime(at);
    SendDlgItemMessageA(hwnd(), IDC_REMINDER_DATE, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    SendDlgItemMessageA(hwnd(), IDC_REMINDER_TIME, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    HWND repeat = item(IDC_REMINDER_REPEAT);
    for (const wchar_t* name : texts::REPEAT_NAMES) SendMessageW(repeat, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageA(repeat, CB_SETCURSEL, reminder_ ? int(reminder_->repeat) : 0, 0);
    return TRUE;
}

void CReminderDlg::OnOK() {
    const SYSTEMTIME date = pickerTime(item(IDC_REMINDER_DATE)), time = pickerTime(item(IDC_REMINDER_TIME));
    const LocalTime at{date.wYear, date.wMonth, date.wDay, time.wHour, time.wMinute, time.wSecond};
    LRESULT repeat = SendDlgItemMessageA(hwnd(), IDC_REMINDER_REPEAT, CB_GETCURSEL, 0, 0);
    if (repeat < 0 || repeat >= LRESULT(std::size(texts::REPEAT_NAMES))) repeat = 0;
    if (!isValidLocalTime(at)) return;
    if (!reminder_ || reminder_->at != at || reminder_->repeat != Repeat(repeat)) {
        reminder_ = makeReminder(at, Repeat(repeat));
    }
    endDialog(IDOK);
}

void CReminderDlg::OnClear() {
    reminder_.reset();
    endDialog(IDC_REMINDER_CLEAR);
}
