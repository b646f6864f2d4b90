// The options dialog's page "全般" (template 140): the three switches, the
// snap width and the two hot keys, edited in the page's own copy of the
// general settings.
#pragma once
#include <string>
#include "store/Settings.h"
#include "win/Dialog.h"

class CGeneralPage : public win::Dialog {
public:
    CGeneralPage();

    void setSettings(GeneralSettings general);
    void getSettings(GeneralSettings& general);

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
    LRESULT OnShowWindow(WPARAM shown, LPARAM);

    GeneralSettings settings_;
    int shownHotKey_ = -1;  // the entry that the hot-key control shows, or -1
    std::string shownAbsorb_;  // the snap width as setSettings put it into the edit
};
