// The options dialog's page "全般" (template 140): the three switches, the
// snap width and the two hot keys, edited in the page's own copy of the
// general settings; and the start at logon, which the Run key holds.
#pragma once
#include <cstdint>
#include <string>
#include "store/Settings.h"
#include "win/Dialog.h"

class CGeneralPage : public win::Dialog {
public:
    CGeneralPage();

    void setSettings(GeneralSettings general);
    void getSettings(GeneralSettings& general);

    // The check box shows whether the Run key starts this program file; a
    // note says when it starts another copy. At OK, a change of the check
    // box is written to the key: false when it could not be.
    void showStartAtLogon();
    bool applyStartAtLogon();

    // The hot-key control shows one entry at a time, the one chosen in the list.
    void loadHotKey();
    void storeHotKey();

    // A page never ends itself: only the options dialog's OK and Cancel do.
    void OnOK() override {}
    void OnCancel() override {}

protected:
    const win::MessageTable* messageTable() const override;

private:
    void OnHotKeyListDropDown();
    void OnHotKeyListSelChange();
    void OnHotKeyChange();
    LRESULT OnShowWindow(WPARAM shown, LPARAM);
    // The control shows the entry as stored.
    void showHotKey();

    GeneralSettings settings_;
    int shownHotKey_ = -1;  // the entry that the hot-key control shows, or -1
    uint16_t completeKey_ = 0;  // the control's last value with a key
    bool unfinishedKey_ = false;  // the control shows modifiers alone
    std::string shownAbsorb_;  // the snap width as setSettings put it into the edit
    bool startsThis_ = false;  // the Run key starts this program file
};
