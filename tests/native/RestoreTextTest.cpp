#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "dialogs/RestoreText.h"

namespace {

StoredMemo memo(const std::wstring& caption, std::vector<std::wstring> texts = {L"text"}) {
    StoredMemo m;
    m.CAPTION = caption;
    for (const std::wstring& text : texts) m.tabs.push_back({text, L"tab"});
    return m;
}

TEST(GenerationTime, ZeroPaddedDateAndClock) {
    EXPECT_EQ(generationTime({2026, 3, 7, 9, 5, 1}), "2026/03/07 09:05:01");
    EXPECT_EQ(generationTime({999, 12, 31, 23, 59, 59}), "0999/12/31 23:59:59");
}

TEST(GenerationLine, CountAndTheFirstCaptions) {
    const LocalTime t{2026, 12, 8, 10, 33, 56};
    struct Case {
        const wchar_t* name;
        std::vector<StoredMemo> memos;
        std::wstring line;
    } cases[] = {
        {L"none", {}, L"2026/12/08 10:33:56  メモ 0 件"},
        {L"one", {memo(L"a")}, L"2026/12/08 10:33:56  メモ 1 件  a"},
        {L"three", {memo(L"a"), memo(L"b"), memo(L"c")}, L"2026/12/08 10:33:56  メモ 3 件  a、b、c"},
        {L"four", {memo(L"a"), memo(L"b"), memo(L"c"), memo(L"d")}, L"2026/12/08 10:33:56  メモ 4 件  a、b、c、…"},
        {L"five", {memo(L"a"), memo(L"b"), memo(L"c"), memo(L"d"), memo(L"e")},
         L"2026/12/08 10:33:56  メモ 5 件  a、b、c、…"},
        {L"empty caption", {memo(L""), memo(L"b")}, L"2026/12/08 10:33:56  メモ 2 件  、b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(generationLine(t, c.memos), c.line);
    }
    EXPECT_EQ(generationLine(t, {memo(L"a")}, true), L"2026/12/08 10:33:56  救出  メモ 1 件  a");
}

TEST(GenerationPreview, CaptionsAndTheFirstLinesThatAreNotEmpty) {
    struct Case {
        const wchar_t* name;
        std::vector<StoredMemo> memos;
        std::wstring preview;
    } cases[] = {
        {L"none", {}, L""},
        {L"one line", {memo(L"c", {L"x"})}, L"■ c\r\n    x\r\n"},
        {L"empty text", {memo(L"c", {L""})}, L"■ c\r\n"},
        {L"empty lines skipped", {memo(L"c", {L"\r\n\r\nx\r\n\r\ny\r\n"})}, L"■ c\r\n    x\r\n    y\r\n"},
        {L"three lines", {memo(L"c", {L"1\r\n2\r\n3"})}, L"■ c\r\n    1\r\n    2\r\n    3\r\n"},
        {L"three lines and empty ones", {memo(L"c", {L"1\r\n2\r\n3\r\n\r\n"})}, L"■ c\r\n    1\r\n    2\r\n    3\r\n"},
        {L"four lines", {memo(L"c", {L"1\r\n2\r\n3\r\n4"})}, L"■ c\r\n    1\r\n    2\r\n    3\r\n    …\r\n"},
        {L"lone CR and LF stay in their line", {memo(L"c", {L"a\rb\nc"})}, L"■ c\r\n    a\rb\nc\r\n"},
        {L"each tab", {memo(L"c", {L"1\r\n2\r\n3\r\n4", L"t2"})},
         L"■ c\r\n    1\r\n    2\r\n    3\r\n    …\r\n    t2\r\n"},
        {L"memos apart", {memo(L"a", {L"x"}), memo(L"b", {L"y"})}, L"■ a\r\n    x\r\n\r\n■ b\r\n    y\r\n"},
        {L"the first memos of many", std::vector<StoredMemo>(PREVIEW_MEMOS + 2, memo(L"a", {L""})),
         [] { std::wstring p; for (size_t i = 0; i < PREVIEW_MEMOS; ++i) p += L"■ a\r\n\r\n"; return p + L"…\r\n"; }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(generationPreview(c.memos), c.preview);
    }
}

}  // namespace
