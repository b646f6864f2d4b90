// One sticky note: a modeless dialog (template 129) owned by the resident
// window, with its caption, tabs, look and settings, its view and edit modes
// and its context menu.
#pragma once
#include <string>
#include <vector>
#include "memo/ColorStatics.h"
#include "memo/MemoEdit.h"
#include "memo/Snap.h"
#include "store/MemoFile.h"
#include "store/Settings.h"
#include "win/Dialog.h"
#include "res/resource.h"

class CMemoDlg : public win::Dialog {
public:
    CMemoDlg();
    ~CMemoDlg() override;

    // A new memo with one tab, centred on the screen and shown.
    void createMemo(const std::string& text, const std::string& title, const std::string& caption);
    // Appends a tab and asks for a save.
    void addMemo(const MemoTab& tab);
    // Rebuilds a stored memo and shows it.
    void addMemo(const StoredMemo& memo);
    // Re-reads the settings files and applies the tab rows.
    void reloadSettings();

    // What a save writes: the committed state, never text still being edited.
    const std::string& getCaption() const { return caption_; }
    const std::vector<MemoTab>& getTabs() const { return tabs_; }
    RECT getSaveRect() const;  // the expanded rectangle, also while collapsed
    int getSelectedTab() const;
    const MemoLook& getLook() const { return appearance_; }
    StoredMemo stored() const;

    bool editMode() const;
    HMENU menu() const { return menu_; }

    BOOL OnInitDialog() override;
    void OnOK() override;      // commit
    void OnCancel() override;  // leave edit mode, dropping the edits

protected:
    const win::MessageTable* messageTable() const override;

private:
    void OnContextMenu();
    void OnLButtonDown();
    void OnLButtonDblClk();
    void OnSize();
    HBRUSH OnCtlColor(HDC dc, HWND control);
    LRESULT OnMoving(WPARAM, LPARAM);
    LRESULT OnSelChangeTab(const NMHDR&);
    LRESULT OnRClickTab(const NMHDR&);
    void OnReloadSettings();
    void OnAddTab();
    void OnDeleteTab();
    void OnDeleteMemo();
    void OnChangeColor();
    void OnTopMost();
    void OnFixPosition();

    // Layout and the look's toggles.
    void layoutControls();
    void showEditControls();
    void leaveEditMode();
    void toggleShowTabs();
    void toggleWordWrap();
    void applyTabMode(bool multiRow);
    void toggleCompact();

    void createEditControls();
    void enterEditMode();
    void selectTab(int index);
    void setDisplayedText(const std::string& text);
    // Asks the resident window to write the data file; it answers at once
    // and tells a failure later, from its own message.
    void requestSave();
    // Appends a tab and selects it, without asking for a save.
    void appendTab(const MemoTab& tab);
    std::string itemText(int id) const;
    int tabCount() const;
    HMENU properties() const { return GetSubMenu(menu_, 0); }

    HMENU menu_ = nullptr;
    CMemoEdit edit_;
    std::string caption_;
    std::vector<MemoTab> tabs_;
    ColorStatics colorStatics_{IDC_MEMO_CAPTION, IDC_MEMO_TEXT};
    RECT fullRect_ = {};  // the expanded window rectangle, kept while collapsed
    MemoSnap snap_;
    AppSettings settings_;
    MemoLook appearance_;
};
