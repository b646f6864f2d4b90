// One sticky note: a modeless dialog (template 129) owned by the resident
// window, with its caption, tabs, appearance and settings, its view and edit modes
// and its context menu.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include "dialogs/ColorStatics.h"
#include "memo/CaptionStrip.h"
#include "memo/Layout.h"
#include "memo/PixelRect.h"
#include "memo/MemoEdit.h"
#include "memo/MemoView.h"
#include "memo/Snap.h"
#include "store/MemoFile.h"
#include "store/Settings.h"
#include "store/TextMatch.h"
#include "win/Dialog.h"
#include "win/SplitTemplate.h"
#include "res/resource.h"

class MemoOwner;

class CMemoDlg : public win::Dialog {
public:
    CMemoDlg();
    ~CMemoDlg() override;

    // A new memo with one tab, centred on the screen and shown.
    void createMemo(const std::wstring& text, const std::wstring& title, const std::wstring& caption);
    // Appends a tab, shows the tabs and asks for a save.
    void addMemo(const MemoTab& tab);
    // Rebuilds a stored memo and shows it. `besideOthers`: it joins memos
    // already shown (a restore's "追加") and cascades off any whose top-left
    // corner it would cover, as a new memo does.
    void addMemo(const StoredMemo& memo, bool besideOthers = false);
    // Re-reads the settings files and applies the tab rows.
    void reloadSettings();
    // Keeps the edits of edit mode, without a save of its own: the resident
    // window saves once, at its end.
    void commitEdits();
    // Moves a memo that no monitor shows back onto the nearest; true when it moved.
    bool pullBackOnScreen();
    // A match of the find window: the memo in front, expanded, on tab `tab`
    // (-1: the tab it shows) with `mark` in view (none when empty). Typing
    // in edit mode is kept first.
    void showMatch(int tab, const TextMatch& mark);
    // The mark of a match goes: the find window shows another memo's.
    void clearMark() { view_.clearMark(); }

    // Unique among the memos of a run: the find window names a memo by it.
    uint32_t id() const { return id_; }
    // The memo's identity in the data file, across runs and PCs.
    const std::string& memoId() const { return memoId_; }
    // The versions the data file now gives this memo's state (store/MemoSync.h).
    void setMemoVersion(const std::string& version) {
        if (version != memoVersion_) memoVersion_ = version, markChanged();
    }

    // What a save writes: the committed state, never text still being edited.
    const std::wstring& getCaption() const { return caption_; }
    const std::vector<MemoTab>& getTabs() const { return tabs_; }
    RECT getSaveRect() const;  // the expanded rectangle, also while collapsed, or the stored one (away_)
    int getSelectedTab() const;
    const MemoAppearance& getAppearance() const { return appearance_; }
    StoredMemo stored() const;
    // The reminder, as the data file holds it.
    const std::optional<Reminder>& reminder() const { return reminder_; }
    // The reminder came due (MemoReminder.cpp): the memo comes to the front
    // without taking the keys and flashes until the user clicks it or presses
    // a key in it outside edit mode, which offers 完了 and the snoozes.
    void ring();
    // The memo's block of the data file (appendMemoBlock of stored()), kept
    // until the memo changes: a save of many memos formats only those that did.
    const std::string& fileBlock();

    bool editMode() const;
    // When the memo was last the active window, in the order of activations
    // among all memos; 0: never.
    uint32_t activation() const { return activation_; }
    // The memo menu, made at its first use (most memos never open it), its
    // checks and greyed items as the memo is now.
    HMENU menu();

    BOOL OnInitDialog() override;
    void OnOK() override;      // commit
    void OnCancel() override;  // leave edit mode, dropping the edits

protected:
    const win::MessageTable* messageTable() const override;
    // The memo's own keys (MemoDlg.cpp), before the dialog manager sees them.
    bool preTranslateMessage(const MSG& msg) override;

private:
    LRESULT OnActivate(WPARAM, LPARAM);
    void OnContextMenu(const POINT* at);
    void OnLButtonDown();
    void OnLButtonDblClk();
    void OnSize();
    LRESULT OnWindowPosChanged(WPARAM, LPARAM);
    HBRUSH OnCtlColor(HDC dc, HWND control);
    LRESULT OnGetMinMaxInfo(WPARAM, LPARAM);
    LRESULT OnSysCommand(WPARAM, LPARAM);
    LRESULT OnMouseWheel(WPARAM, LPARAM);
    void OnEnterSizeMove();
    LRESULT OnMoving(WPARAM, LPARAM);
    void OnExitSizeMove();
    LRESULT OnSelChangeTab(const NMHDR&);
    void tabSelected();
    LRESULT OnRClickTab(const NMHDR&);
    void OnReloadSettings();
    void OnAddTab();
    void OnDeleteTab();
    void OnDeleteMemo();
    void OnChangeColor();
    void OnShowTabs();
    void OnWordWrap();
    void OnTopMost();
    void OnFixPosition();
    void OnReminder();
    void OnDueMenu();
    LRESULT OnTimer(WPARAM id, LPARAM);
    void OnEditKey();
    void focusNextControl();
    void focusPreviousControl();
    void activateNextMemo();
    void activatePreviousMemo();
    void selectNextTab();
    void selectPreviousTab();
    void selectAll();
    void openFind();
    void findNext();
    void findPrevious();

    // The reminder (MemoReminder.cpp). A click or a key in a due memo is the
    // user's touch: true when it was one, and the due menu is on its way.
    bool touched();
    void answerDue(UINT command);
    void showClock();
    void setFlashing(bool flashing);

    // Layout and the switches of the appearance (MemoDlgLayout.cpp).
    // Caption, place and appearance of a memo being made, then shown.
    void present(const std::wstring& caption, const PixelRect& place, const MemoAppearance& appearance);
    void layoutControls();
    void showEditControls();
    void leaveEditMode(bool followEditor = true);
    void setShowTabs(bool showTabs);
    void setWordWrap(bool wrap);
    void setCompact(bool compact);
    void setFixed(bool fixed);
    void applyTabMode(bool multiRow);

    static const win::SplitTemplate& memoTemplate();
    void makeTabs();
    void createEditControls();
    // The text editor (control 1000), made anew when wrapping is switched.
    void makeEditor();
    // Where the editor is, as a place of the view, and scrolling it to one
    // (sideways by whole average characters).
    CMemoView::Place editorPlace() const;
    void scrollEditorTo(const CMemoView::Place& place);
    // The editor's first shown line and how far it is scrolled sideways in pixels.
    std::pair<LRESULT, int> editorShows() const;
    bool commit();
    // The owner's other memos, to snap to and to cascade from.
    std::vector<PixelRect> ownerRects() const;
    const MemoOwner* owner() const;
    // Activates the memo after this one in the order of their places on the
    // screen, or the one before.
    void activateNeighbour(bool backwards);
    // Selects the tab after the selected one, or the one before, round at
    // the ends; in edit mode the edits are kept and the next tab is edited.
    void selectNeighbourTab(bool backwards);
    int32_t captionHeight() const;
    static std::vector<PixelRect> workAreas();
    void enterEditMode();
    void selectTab(int index);
    // Shows tab `i`'s text where its reader left it.
    void showTab(int i);
    // Asks the resident window to write the data file; it answers at once
    // and tells a failure later, from its own message. `cause`: 0, or
    // SAVE_AFTER_DELETE when the save removes a deleted tab.
    void requestSave(WPARAM cause = 0);
    // Appends a tab and selects it, without asking for a save.
    void appendTab(const MemoTab& tab);
    int tabCount() const;
    // Every change of what stored() answers calls this: the kept block is stale.
    void markChanged() { blockStale_ = true; }
    bool topmost() const { return (GetWindowLongA(hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

    const uint32_t id_;
    std::string memoId_;
    std::string memoVersion_;  // as it was given: the program decides versions (store/MemoSync.h)
    HMENU menu_ = nullptr;  // see menu()
    CMemoEdit edit_;
    CCaptionStrip captionStrip_;
    uint32_t activation_ = 0;
    CMemoView view_;
    std::vector<CMemoView::Place> places_;  // where each tab was read, while the program runs
    int shownTab_ = -1;                     // the tab the view shows
    CMemoView::Place editFrom_;             // where the editor was last scrolled to
    std::pair<LRESULT, int> editShows_;     // and what it showed then
    std::wstring caption_;
    std::vector<MemoTab> tabs_;
    int selected_ = -1;  // the selected tab, which the tab control shows once it is made
    ColorStatics colorStatics_{IDC_MEMO_CAPTION, IDC_MEMO_TEXT};
    RECT fullRect_ = {};  // the expanded window rectangle, kept while collapsed
    MemoSnap snap_;
    RECT dragStart_ = {};  // the window rectangle when the drag or resize began
    // A memo whose monitor is away, shown on the nearest: the file keeps its
    // stored place until the user moves or resizes it, so that it is back on
    // its monitor when that is back.
    struct AwayPlace {
        PixelRect stored, shown;
    };
    std::optional<AwayPlace> away_;
    bool sizing_ = false;  // the user drags a border
    bool layoutHeld_ = false;  // present() lays the memo out once, at its end
    AppSettings settings_;
    MemoAppearance appearance_;
    std::string block_;
    bool blockStale_ = true;
    std::optional<Reminder> reminder_;
    bool flashing_ = false, lit_ = false;
    bool dueMenuPending_ = false;  // posted or open
};
