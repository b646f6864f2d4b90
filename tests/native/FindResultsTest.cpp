#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "dialogs/FindResults.h"

namespace {

// The matches from the `from`th on are those of the whole list from there,
// across captions, titles and texts of several memos, and all are counted.
TEST(FindResults, AnyStretchOfTheMatchesIsTheWholeListsStretch) {
    const std::vector<MemoTab> tabs = {{"x\r\nax\r\nxx", "x tab"}, {"none", "title"}, {"xax", "x"}};
    auto results = [&](size_t from, size_t most) {
        FindResults r("x", from, most);
        r.addMemo(1, "x memo", tabs);
        r.addMemo(2, "none", {{"no", "no"}});
        r.addMemo(3, "xx", tabs);
        return r;
    };
    const FindResults all = results(0, 1000);
    const size_t total = all.total();
    ASSERT_EQ(total, 19u);  // 9 in the first memo, 10 in the last
    for (size_t from : {size_t(0), size_t(1), size_t(4), total - 1, total}) {
        for (size_t most : {size_t(1), size_t(3), size_t(200)}) {
            SCOPED_TRACE(std::to_string(from) + " " + std::to_string(most));
            const FindResults part = results(from, most);
            EXPECT_EQ(part.total(), total);
            ASSERT_EQ(part.hits().size(), std::min(most, total - from));
            for (size_t i = 0; i < part.hits().size(); ++i) {
                const FindHit &got = part.hits()[i], &want = all.hits()[from + i];
                EXPECT_EQ(got.memo, want.memo);
                EXPECT_EQ(got.tab, want.tab);
                EXPECT_EQ(got.match.offset, want.match.offset);
                EXPECT_EQ(got.columns, want.columns);
            }
        }
    }
}

}  // namespace
