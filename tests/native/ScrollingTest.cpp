#include <gtest/gtest.h>
#include <climits>
#include <functional>
#include "memo/Scrolling.h"

namespace {

// Every character ten pixels wide, a tab stop every forty.
CharWidths tenPixels() {
    CharWidths widths;
    for (int c = 0; c < 65536; ++c) widths.set(CharCode(c), 10);
    widths.tab = 40;
    return widths;
}

TEST(TextLines, BreakAfterBlanksAndAroundTwoByteCharacters) {
    struct Case {
        const char* name;
        const wchar_t* text;
        int32_t width;
        std::vector<uint32_t> starts;
        int32_t widest;
    } cases[] = {
        {"a line per line break, none after the last", L"ab\r\ncdef\r\n", 0, {0, 4}, 40},
        {"a tab reaches the next stop", L"a\tbc", 0, {0}, 60},
        {"after a blank, which may hang past the edge", L"abc def gh", 40, {0, 4, 8}, 40},
        {"a word wider than a line where it reaches the edge", L"abcdefg", 40, {0, 4}, 40},
        {"before and after a wide character", L"abc日本defgh", 40, {0, 4, 5, 9}, 0},
    };
    const CharWidths widths = tenPixels();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextLines lines = breakLines(c.text, widths, c.width);
        EXPECT_EQ(lines.starts, c.starts);
        if (c.width == 0) {
            EXPECT_EQ(lines.widest, c.widest);
        }
    }
}

// "|" marks where each shown line begins; every character is ten pixels wide.
TEST(TextLines, ClosingPunctuationNeverBeginsALine) {
    struct Case {
        const char* name;
        std::u16string text;  // UTF-16, as the program holds it
        int32_t width;
    } cases[] = {
        {"the mark takes its word along", u"調べることがありま|す。上に示した", 100},
        {"it fits at the end", u"調べることがあります。|上に示した", 110},
        {"a comma too", u"あいう|え、お", 40},
        {"an opening bracket stays with what follows", u"あいう|「かぎ」", 40},
        {"after a comma, before an opening bracket", u"あいう、|「かぎ」|です", 40},
        {"small kana and the prolonged sound mark", u"コン|ピュー|ター", 30},
        {"digits break only where they reach the edge", u"01234|56789", 50},
        {"Latin words after a blank, a full stop kept", u"see the |(full) |text.", 110},
        {"never inside a surrogate pair", u"😀😀|😀", 20},
        {"nor between a half-width katakana and its mark", u"ｶﾞ|ｶﾞ", 30},
        {"a combining mark takes no room and stays with its letter", u"ab\u0301|cd", 20},
        {"a joined sequence stays whole", u"👨\u200D👩|👧", 20},
    };
    const CharWidths widths = tenPixels();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring text;
        std::vector<uint32_t> starts{0};
        for (char16_t ch : c.text) {
            if (ch == u'|') starts.push_back(uint32_t(text.size()));
            else text += wchar_t(ch);
        }
        EXPECT_EQ(breakLines(text, widths, c.width).starts, starts);
    }
}

// Lines ten pixels high, bars sixteen pixels thick.
TEST(Scrolling, BarsShowOnlyWhereTheTextDoesNotFit) {
    struct Case {
        const char* name;
        int64_t lines;
        int32_t widest, height;
        bool wrap;
        ScrollBars bars;
    } cases[] = {
        {"fits", 10, 200, 100, false, {false, false}},
        {"a line too many", 11, 100, 100, false, {true, false}},
        {"wrapped, a line too many", 11, 900, 100, true, {true, false}},
        {"a line too wide", 5, 201, 100, false, {false, true}},
        {"too wide, and the bar covers the last line", 9, 300, 100, false, {true, true}},
        {"too high, and the bar covers the widest line", 11, 190, 100, false, {true, true}},
        {"lower than a line, as when collapsed", 50, 900, 9, false, {false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(barsFor(c.lines, c.widest, 200, c.height, 10, 16, c.wrap), c.bars);
    }
}

TEST(Scrolling, WheelKeysAndResizeKeepTheViewInTheText) {
    ViewExtent e;  // 100 lines, a page of 10, 300 pixels more to the right
    e.lines = 100, e.widest = 500, e.width = 200, e.height = 105, e.lineHeight = 10;
    using Act = std::function<ScrollPlace(ScrollPlace)>;
    auto wheel = [&](std::vector<int32_t> deltas, uint32_t perNotch = 3) -> Act {
        return [=](ScrollPlace p) {
            int32_t rest = 0;
            for (int32_t delta : deltas) p = afterWheel(p, delta, rest, perNotch, e);
            return p;
        };
    };
    auto key = [&](ScrollKey k) -> Act { return [=](ScrollPlace p) { return afterKey(p, k, e); }; };
    // Forty words of four characters wrapped at `from` pixels, then at `to`.
    auto resize = [&](int32_t from, int32_t to) -> Act {
        return [=](ScrollPlace p) {
            std::wstring text;
            for (int i = 0; i < 40; ++i) text += L"wor ";
            const CharWidths widths = tenPixels();
            TextLines before = breakLines(text, widths, from), after = breakLines(text, widths, to);
            ViewExtent resized = e;
            resized.lines = int64_t(after.starts.size());
            return afterReflow(p, before, after, resized);
        };
    };
    struct Case {
        const char* name;
        ScrollPlace from;
        Act act;
        ScrollPlace to;
    } cases[] = {
        {"a notch towards the user: three lines on", {0, 0}, wheel({-120}), {3, 0}},
        {"a notch away at the start", {0, 0}, wheel({120}), {0, 0}},
        {"half notches make lines together", {10, 0}, wheel({-60, -60}), {13, 0}},
        {"a notch at the end: the last page stays", {89, 0}, wheel({-120}), {90, 0}},
        {"a page a notch where the system says so", {0, 0}, wheel({-120}, UINT_MAX), {10, 0}},
        {"no scrolling where the system says none", {5, 0}, wheel({-120}, 0), {5, 0}},
        {"Down", {5, 7}, key(ScrollKey::Down), {6, 7}},
        {"Up at the start", {0, 0}, key(ScrollKey::Up), {0, 0}},
        {"Page Down", {5, 0}, key(ScrollKey::PageDown), {15, 0}},
        {"Page Up near the start", {5, 0}, key(ScrollKey::PageUp), {0, 0}},
        {"End", {5, 30}, key(ScrollKey::End), {90, 30}},
        {"Home", {50, 30}, key(ScrollKey::Home), {0, 30}},
        {"Right", {0, 0}, key(ScrollKey::Right), {0, 10}},
        {"Right at the widest line's end", {0, 300}, key(ScrollKey::Right), {0, 300}},
        {"Left at the start", {0, 0}, key(ScrollKey::Left), {0, 0}},
        {"narrower: the first shown word is first again", {3, 0}, resize(80, 40), {6, 0}},
        {"wider", {7, 0}, resize(40, 80), {3, 0}},
        {"wider near the end: the last page", {35, 0}, resize(40, 120), {4, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.act(c.from), c.to);
    }
}

}  // namespace
