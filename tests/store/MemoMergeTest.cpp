#include <gtest/gtest.h>
#include "store/MemoMerge.h"
#include "store/ShiftJis.h"

namespace {

// A memo with one tab; `id` empty: written by a version without identities.
StoredMemo memo(const std::string& id, const std::string& caption, const std::string& text, int32_t left = 0) {
    StoredMemo m;
    m.MEMO_ID = id;
    m.CAPTION = sjis::decode(caption);
    m.tabs = {{sjis::decode(text), L"t"}};
    m.RECT_LEFT = left, m.RECT_RIGHT = left + 100, m.RECT_BOTTOM = 100;
    return m;
}

StoredMemo editedFrom(StoredMemo memo, const StoredMemo& from) {
    memo.MEMO_FROM = memoStateId(from);
    return memo;
}

// "id:caption/text" for each memo ("*" for an identity the merge made), "@left" when moved.
std::string shown(const std::vector<StoredMemo>& memos) {
    std::string out;
    for (const StoredMemo& m : memos) {
        out += " " + (m.MEMO_ID.size() == 1 ? m.MEMO_ID : "*") + ":" + sjis::encode(m.CAPTION) + "/" + sjis::encode(m.tabs.at(0).text);
        if (m.RECT_LEFT != 0 && m.RECT_LEFT != 24) out += "@" + std::to_string(m.RECT_LEFT);
    }
    return out.empty() ? out : out.substr(1);
}

}  // namespace

TEST(MemoMerge, MemoByMemoThreeWays) {
    const StoredMemo a = memo("a", "A", "1"), b = memo("b", "B", "1");
    struct Row {
        const char* what;
        std::vector<StoredMemo> base, theirs, ours;
        std::string merged;
        size_t conflicts = 0;
        bool theirsIsCopy = false;
        std::vector<std::string> pinned = {};
        std::vector<StoredMemo> seen = {};  // states this run met before
    } rows[] = {
        {"different memos", {a, b}, {memo("a", "A", "2"), b}, {a, memo("b", "B", "2")}, "a:A/2 b:B/2"},
        {"the same memo", {a}, {memo("a", "A", "2")}, {memo("a", "A", "3")}, "a:A/3 *:A (PC)/2", 1},
        {"edited there from ours", {a}, {editedFrom(memo("a", "A", "3"), memo("a", "A", "2"))},
         {editedFrom(memo("a", "A", "2"), a)}, "a:A/3"},
        {"edited here from theirs", {a}, {editedFrom(memo("a", "A", "2"), memo("a", "A", "2"))},
         {editedFrom(memo("a", "A", "3"), memo("a", "A", "2"))}, "a:A/3"},
        {"moved here, written there", {a}, {memo("a", "A", "2")}, {memo("a", "A", "1", 50)}, "a:A/2@50"},
        {"added there", {a}, {a, memo("c", "C", "1")}, {a}, "a:A/1 c:C/1"},
        {"added here", {a}, {a}, {a, memo("c", "C", "1")}, "a:A/1 c:C/1"},
        {"deleted there", {a, b}, {a}, {a, b}, "a:A/1"},
        {"deleted there, written here", {a, b}, {a}, {a, memo("b", "B", "2")}, "a:A/1 b:B/2"},
        {"deleted here", {a, b}, {a, b}, {a}, "a:A/1"},
        {"deleted here, written there", {a, b}, {a, memo("b", "B", "2")}, {a}, "a:A/1 b:B/2"},
        {"reordered there", {a, b}, {memo("b", "B", "2"), a}, {a, b}, "a:A/1 b:B/2"},
        {"previous version, a text changed", {a, b}, {memo("", "A", "1"), memo("", "B", "2")}, {a, b}, "a:A/1 b:B/2"},
        {"previous version, a caption changed", {a, b}, {memo("", "X", "1"), memo("", "B", "1", 70)}, {a, b},
         "a:X/1 b:B/1@70"},
        {"previous version, a memo added", {a}, {memo("", "A", "1"), memo("", "C", "1")}, {a}, "a:A/1 *:C/1"},
        {"previous version, its first memo deleted", {a, b}, {memo("", "B", "1")}, {a, b}, "b:B/1"},
        {"being edited here", {a}, {memo("a", "A", "2")}, {a}, "a:A/1 *:A (PC)/2", 1, false, {"a"}},
        {"their file predates our later change", {a}, {memo("a", "A", "2")}, {memo("a", "A", "3")}, "a:A/3", 0, false,
         {}, {memo("a", "A", "2")}},
        {"their file predates our delete", {a}, {a, memo("c", "C", "1")}, {a}, "a:A/1", 0, false, {},
         {memo("c", "C", "1")}},
        {"a conflict copy lacks memos", {a, b}, {memo("a", "A", "0"), memo("c", "C", "1")}, {a, memo("b", "B", "2")},
         "a:A/0 b:B/2 c:C/1", 0, true},
        {"a conflict copy of the same memo", {a}, {memo("a", "A", "0", 50)}, {memo("a", "A", "3")}, "a:A/3 *:A (PC)/0@74",
         1, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::unordered_set<uint64_t> seen;
        for (const StoredMemo& m : r.seen) seen.insert(memoStateHash(m));
        const MergeResult result = mergeMemos(r.base, r.theirs, r.ours, {L"PC", r.theirsIsCopy, &seen, r.pinned});
        EXPECT_EQ(shown(result.memos), r.merged);
        EXPECT_EQ(result.conflicts.size(), r.conflicts);
        ASSERT_EQ(result.beside.size(), r.conflicts);
        for (size_t at : result.beside) EXPECT_EQ(sjis::encode(result.memos.at(at).CAPTION.substr(1)), " (PC)");
        ASSERT_EQ(result.ourPlace.size(), r.ours.size());
        for (size_t o = 0; o < r.ours.size(); ++o) {
            EXPECT_TRUE(result.ourPlace[o] < 0 || result.memos.at(result.ourPlace[o]).MEMO_ID == r.ours[o].MEMO_ID) << o;
        }
        // A second PC that meets the merged file leaves it as it is.
        EXPECT_EQ(mergeMemos(result.memos, result.memos, result.memos, {}).memos, result.memos);
    }
    // A reminder goes with the look: dismissed there while untouched here, it is dismissed here.
    StoredMemo due = a;
    due.REMINDER = makeReminder(LocalTime{2026, 12, 10, 9, 0, 0}, Repeat::None);
    EXPECT_EQ(mergeMemos({due}, {a}, {due}, {}).memos.at(0).REMINDER, std::nullopt);
    // Each PC keeps its own version of a memo that both changed: the other's beside it is one memo.
    const StoredMemo onA = memo("a", "A", "A's"), onB = memo("a", "A", "B's");
    EXPECT_EQ(mergeMemos({a}, {onB}, {onA}, {}).memos.at(1).MEMO_ID, mergeMemos({a}, {onA}, {onB}, {}).memos.at(1).MEMO_ID);
}

TEST(MemoMerge, SyncEnginesConflictCopies) {
    struct Row { const char* name; std::optional<std::string> label; } rows[] = {
        {"Quillpad.sync-conflict-20240102-030405-ABCDEFG.dat", "ABCDEFG"},
        {"Quillpad (PC1's conflicted copy 2024-01-02).dat", "PC1"},
        {"Quillpad-DESKTOP-7Q1.dat", "DESKTOP-7Q1"},
        {"Quillpad.dat.tmp", std::nullopt},
        {"Quillpad-20240102-030405.dat", std::nullopt},
        {"Quillpad (copy).dat", std::nullopt},
        {"Quillpad-my notes.dat", std::nullopt},
    };
    for (const Row& r : rows) EXPECT_EQ(conflictCopyLabel(r.name, "Quillpad.dat"), r.label) << r.name;
}
