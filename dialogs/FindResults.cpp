#include "dialogs/FindResults.h"
#include <algorithm>
#include <cstdio>
#include "res/Texts.h"

namespace {

// The code units of a text line shown before and after its match.
// Few before it, so that the match stays in view in the column.
const size_t CONTEXT_BEFORE = 8, CONTEXT_AFTER = 48;

}  // namespace

void FindResults::addMemo(uint32_t id, const std::wstring& caption, const std::vector<MemoTab>& tabs) {
    const size_t before = total_;
    add(id, caption, caption, -1, std::wstring(), false);
    for (size_t i = 0; i < tabs.size(); ++i) {
        add(id, tabs[i].title, caption, int(i), tabs[i].title, true);
        add(id, tabs[i].text, caption, int(i), tabs[i].title, false);
    }
    if (total_ != before) ++memos_;
}

// A caption or title match shows in its own column; a text match shows its line.
void FindResults::add(uint32_t id, std::wstring_view found, const std::wstring& caption, int tab,
                      const std::wstring& title, bool inTitle) {
    matches_.clear();
    const size_t before = total_;  // the place of this text's first match among all
    total_ += findMatches(found, query_, matches_, from_ + most_ > before ? from_ + most_ - before : 0);
    for (size_t i = from_ > before ? from_ - before : 0; i < matches_.size(); ++i) {
        const TextMatch& m = matches_[i];
        std::wstring line = tab >= 0 && !inTitle ? matchContext(found, m, CONTEXT_BEFORE, CONTEXT_AFTER) : std::wstring();
        hits_.push_back({id, tab, inTitle, m, {caption, title, std::move(line)}});
    }
}

std::string FindResults::countLine() const {
    if (query_.empty()) return std::string();
    if (total_ == 0) return texts::FIND_NOTHING;
    char line[128];
    int length = std::snprintf(line, sizeof line, texts::FIND_COUNT, unsigned(total_), unsigned(memos_));
    if (hits_.size() < total_) {
        std::snprintf(line + length, sizeof line - length, texts::FIND_COUNT_LISTED, unsigned(hits_.size()));
    }
    return line;
}

std::vector<FindHit> reminderLines(std::vector<ReminderMemo> memos) {
    std::stable_sort(memos.begin(), memos.end(), [](const ReminderMemo& a, const ReminderMemo& b) {
        if (a.reminder.ringing != b.reminder.ringing) return a.reminder.ringing;
        return ringTime(a.reminder) < ringTime(b.reminder);
    });
    std::vector<FindHit> lines;
    for (ReminderMemo& m : memos) {
        std::wstring when = reminderTimeText(ringTime(m.reminder));
        if (m.reminder.repeat != Repeat::None) when += L" " + std::wstring(texts::REPEAT_NAMES[int(m.reminder.repeat)]);
        lines.push_back({m.memo, -1, false, TextMatch{}, {std::move(m.caption), std::move(when), std::move(m.firstLine)}});
    }
    return lines;
}
