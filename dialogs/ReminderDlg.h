// The reminder dialog (template 143): the date, time and repeat of one memo's
// reminder, or "解除(&C)" to clear it. It stores nothing: the opener hands the
// reminder in and takes the result back after IDOK or IDC_REMINDER_CLEAR.
#pragma once
#include <optional>
#include "store/Reminder.h"
#include "win/Dialog.h"

class CReminderDlg : public win::Dialog {
public:
    // `now`: a new reminder starts at the next full hour after it.
    CReminderDlg(const std::optional<Reminder>& reminder, const LocalTime& now);

    // The reminder as the dialog ended: none after "解除(&C)". One whose time
    // and repeat were left as they were keeps its snooze and its ringing.
    const std::optional<Reminder>& reminder() const { return reminder_; }

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    const win::MessageTable* messageTable() const override;

private:
    void OnClear();

    std::optional<Reminder> reminder_;
    LocalTime now_;
};
