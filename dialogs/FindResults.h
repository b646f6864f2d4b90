// What the find window lists for what the user typed: the matches in every
// memo's caption, tab titles and texts, the line it shows for each, and the
// count above them. Window-free.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "store/MemoFile.h"
#include "store/Reminder.h"
#include "store/TextMatch.h"

// Lines the list shows at most. The count still counts them all, and F3
// walks them all.
constexpr size_t FIND_MOST_LINES = 200;

// The list's columns, in order.
enum FindColumn { FIND_CAPTION, FIND_TITLE, FIND_LINE, FIND_COLUMNS };

// One match: its memo (by the id that the memo keeps while the program runs,
// never its place among the memos), where in it, and its list line.
struct FindHit {
    uint32_t memo = 0;
    int tab = -1;          // -1: the caption
    bool inTitle = false;  // the tab's title rather than its text
    TextMatch match;
    std::array<std::wstring, FIND_COLUMNS> columns;  // what the list shows of it
};

class FindResults {
public:
    // Keeps the matches from the `from`th (0: the first) on, `most` of them.
    explicit FindResults(std::wstring_view typed, size_t from = 0, size_t most = FIND_MOST_LINES)
        : query_(typed), from_(from), most_(most) {}
    // Adds the matches of one memo, in the order the memo shows them.
    void addMemo(uint32_t id, const std::wstring& caption, const std::vector<MemoTab>& tabs);
    const std::vector<FindHit>& hits() const { return hits_; }
    size_t total() const { return total_; }
    // "N 件 (M 個のメモ)", and how many are listed when not all; "見つかり
    // ません" for none; empty when nothing was typed.
    std::string countLine() const;

private:
    void add(uint32_t id, std::wstring_view found, const std::wstring& caption, int tab, const std::wstring& title,
             bool inTitle);

    TextQuery query_;
    const size_t from_, most_;
    std::vector<FindHit> hits_;
    std::vector<TextMatch> matches_;  // one text's, reused
    size_t total_ = 0, memos_ = 0;
};

// With nothing typed, the list shows the memos that have a reminder: due ones
// first, then the others soonest first. Each line is the caption, the time
// and the memo's first line; going to it shows the memo.
struct ReminderMemo {
    uint32_t memo;
    std::wstring caption, firstLine;
    Reminder reminder;
};
std::vector<FindHit> reminderLines(std::vector<ReminderMemo> memos);
