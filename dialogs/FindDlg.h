// The find window (template 142): a modeless dialog with the text to find, a
// count and the matches in every memo, updated as the user types and as the
// memos change; with nothing typed, the memos with a reminder. Enter or a
// double-click goes to the selected match, F3 and Shift+F3 to the next and
// previous one; the window stays open, and Escape hides it until it is opened again.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "dialogs/FindResults.h"
#include "win/Dialog.h"

// What the find window needs of the memos; the resident window implements it.
class FindSource {
public:
    using MemoVisitor = std::function<void(uint32_t id, const std::wstring& caption, const std::vector<MemoTab>& tabs)>;
    // Each memo as last committed, in the order the memos were made.
    virtual void forEachMemo(const MemoVisitor& visit) const = 0;
    // Each memo that has a reminder, in the order the memos were made.
    virtual std::vector<ReminderMemo> reminderMemos() const = 0;
    // Brings the hit's memo to the front and shows the match; false when
    // that memo or tab no longer exists.
    virtual bool showHit(const FindHit& hit) = 0;

protected:
    ~FindSource() = default;
};

class CFindDlg : public win::Dialog {
public:
    explicit CFindDlg(FindSource& source);

    // Shows the window in front with its text selected: made and centred on
    // the work area the first time, afterwards where the user left it.
    void open(HWND owner);
    // The memos changed: the list follows once the message being handled has returned.
    void memosChanged();
    // Goes to the match after (or before) the selected line or the match
    // gone to last, round at the ends, past the listed lines too; after the
    // text changed, to the first (or last) match.
    void goToNext(bool forward);

    BOOL OnInitDialog() override;
    void OnOK() override;      // Enter: go to the selected match
    void OnCancel() override;  // Escape: hide

protected:
    const win::MessageTable* messageTable() const override;
    bool preTranslateMessage(const MSG& msg) override;

private:
    void OnTextChange();
    LRESULT OnListDoubleClick(const NMHDR&);
    LRESULT OnGetLineText(const NMHDR& header);
    LRESULT OnLineChanged(const NMHDR& header);
    LRESULT OnFindLine(const NMHDR&);
    LRESULT OnGetTip(const NMHDR& header);
    void OnRefresh();

    // Searches the memos for the text and fills the list, keeping the
    // selected line's place.
    void search();
    void goToSelected();
    // Goes to the match `index` of all, in the list's order.
    void goTo(size_t index);
    int selected() const;
    void select(int line);
    void showCount();
    void fitCaptionColumn();

    FindSource& source_;
    std::vector<FindHit> hits_;  // the list's lines, in order
    size_t total_ = 0;           // the matches, listed or not
    std::string count_;          // the count line of the last search
    // The match gone to last when it is past the listed lines; -1: none.
    long walked_ = -1;
    bool refreshPosted_ = false;
    // Nothing gone to or picked by the user since the text changed: the line
    // selected by itself is no place to go on from.
    bool fromStart_ = true;
    bool selecting_ = false;  // select() is under way
};
