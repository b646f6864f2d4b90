#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "dialogs/RestoreText.h"

namespace {

StoredMemo memo(const std::string& caption, std::vector<std::string> texts = {"text"}) {
    StoredMemo m;
    m.CAPTION = caption;
    for (const std::string& text : texts) m.tabs.push_back({text, "tab"});
    return m;
}

TEST(GenerationTime, ZeroPaddedDateAndClock) {
    EXPECT_EQ(generationTime({2026, 3, 7, 9, 5, 1}), "2026/03/07 09:05:01");
    EXPECT_EQ(generationTime({999, 12, 31, 23, 59, 59}), "0999/12/31 23:59:59");
}

TEST(GenerationLine, CountAndTheFirstCaptions) {
    const LocalTime t{2026, 12, 8, 10, 33, 56};
    struct Case {
        const char* name;
        std::vector<StoredMemo> memos;
        std::string line;
    } cases[] = {
        {"none", {}, "2026/12/08 10:33:56  メモ 0 件"},
        {"one", {memo("a")}, "2026/12/08 10:33:56  メモ 1 件  a"},
        {"three", {memo("a"), memo("b"), memo("c")}, "2026/12/08 10:33:56  メモ 3 件  a、b、c"},
        {"four", {memo("a"), memo("b"), memo("c"), memo("d")}, "2026/12/08 10:33:56  メモ 4 件  a、b、c、…"},
        {"five", {memo("a"), memo("b"), memo("c"), memo("d"), memo("e")},
         "2026/12/08 10:33:56  メモ 5 件  a、b、c、…"},
        {"empty caption", {memo(""), memo("b")}, "2026/12/08 10:33:56  メモ 2 件  、b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(generationLine(t, c.memos), c.line);
    }
}

TEST(GenerationPreview, CaptionsAndTheFirstLinesThatAreNotEmpty) {
    struct Case {
        const char* name;
        std::vector<StoredMemo> memos;
        std::string preview;
    } cases[] = {
        {"none", {}, ""},
        {"one line", {memo("c", {"x"})}, "■ c\r\n    x\r\n"},
        {"empty text", {memo("c", {""})}, "■ c\r\n"},
        {"empty lines skipped", {memo("c", {"\r\n\r\nx\r\n\r\ny\r\n"})}, "■ c\r\n    x\r\n    y\r\n"},
        {"three lines", {memo("c", {"1\r\n2\r\n3"})}, "■ c\r\n    1\r\n    2\r\n    3\r\n"},
        {"three lines and empty ones", {memo("c", {"1\r\n2\r\n3\r\n\r\n"})}, "■ c\r\n    1\r\n    2\r\n    3\r\n"},
        {"four lines", {memo("c", {"1\r\n2\r\n3\r\n4"})}, "■ c\r\n    1\r\n    2\r\n    3\r\n    …\r\n"},
        {"lone CR and LF stay in their line", {memo("c", {"a\rb\nc"})}, "■ c\r\n    a\rb\nc\r\n"},
        {"each tab", {memo("c", {"1\r\n2\r\n3\r\n4", "t2"})},
         "■ c\r\n    1\r\n    2\r\n    3\r\n    …\r\n    t2\r\n"},
        {"memos apart", {memo("a", {"x"}), memo("b", {"y"})}, "■ a\r\n    x\r\n\r\n■ b\r\n    y\r\n"},
        {"the first memos of many", std::vector<StoredMemo>(PREVIEW_MEMOS + 2, memo("a", {""})),
         [] { std::string p; for (size_t i = 0; i < PREVIEW_MEMOS; ++i) p += "■ a\r\n\r\n"; return p + "…\r\n"; }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(generationPreview(c.memos), c.preview);
    }
}

}  // namespace
