#include <gtest/gtest.h>
#include <string>
#include "store/ShiftJis.h"

namespace {

// UTF-16 code units in a std::wstring, whatever the size of wchar_t.
std::wstring units(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

TEST(ShiftJis, WritesWhatItHoldsAsWindowsAndEscapesTheRest) {
    struct Case {
        const char* name;
        std::u16string text;
        std::string file;           // the bytes written
        std::u16string back;        // the text read from them
    } cases[] = {
        {"typed Japanese", u"あいう漢字表ソ", "\x82\xa0\x82\xa2\x82\xa4\x8a\xbf\x8e\x9a\x95\x5c\x83\x5c", u"あいう漢字表ソ"},
        {"the backslash after ソ and 表", u"ソ\\表\\", "\x83\x5c\x5c\x95\x5c\x5c", u"ソ\\表\\"},
        {"half-width kana", u"ｶﾞｯﾂ｡", "\xb6\xde\xaf\xc2\xa1", u"ｶﾞｯﾂ｡"},
        {"the web's twins", u"〜—−‖¢£¬", "\x81\x60\x81\x5c\x81\x7c\x81\x61\x81\x91\x81\x92\x81\xca", u"～―－∥￠￡￢"},
        {"accented Latin", u"Café", "Caf\x81\xacU+00E9\x81\xac", u"Café"},
        {"an emoji", u"😀!", "\x81\xacU+1F600\x81\xac!", u"😀!"},
        {"Hangul and simplified Chinese", u"한简体", "\x81\xacU+D55C\x81\xac\x81\xacU+7B80\x81\xac\x91\xcc", u"한简体"},
        {"a lone surrogate", u"a\xD83D", "a\x81\xacU+D83D\x81\xac", u"a\xD83D"},
        {"text that looks like an escape", u"〓U+00E9〓", "\x81\xacU+3013\x81\xacU+00E9\x81\xac", u"〓U+00E9〓"},
        {"an escape of what Shift-JIS holds stays text", u"〓U+0041〓 〓", "\x81\xacU+3013\x81\xacU+0041\x81\xac \x81\xac",
         u"〓U+0041〓 〓"},
        {"a CR the data file drops", u"〓\rU+DDDD〓", "\x81\xacU+3013\x81\xac\rU+DDDD\x81\xac", u"〓\rU+DDDD〓"},
        {"NEC and IBM rows", u"①ⅰ纊", "\x87\x40\xfa\x40\xfa\x5c", u"①ⅰ纊"},
        {"user-defined characters", u"\xE000\xE757", "\xf0\x40\xf9\xfc", u"\xE000\xE757"},
        {"ASCII", u"~ \t\r\n", "~ \t\r\n", u"~ \t\r\n"},
        // Bytes of no character, in files made by hand or other programs, are kept.
        {"lead bytes alone", u"\xDC81 \xDC85@\xDCE0\x7F\xDCE0", "\x81 \x85@\xe0\x7f\xe0", u"\xDC81 \xDC85@\xDCE0\x7F\xDCE0"},
        {"single bytes beyond ASCII", u"\xF8F0\x80\xF8F1\xF8F2\xF8F3", "\xa0\x80\xfd\xfe\xff", u"\xF8F0\x80\xF8F1\xF8F2\xF8F3"},
        {"a lead byte alone before what would pair with it", u"\xDC81" u"A", "\x81\xacU+DC81\x81\xac" "A", u"\xDC81" u"A"},
        // Each escape starts with a byte that would pair with the lead byte before it.
        {"a run of lead bytes alone before what would pair with its last", u"\xDC81\xDCEA\xDCE0" u"A",
         "\x81\xacU+DC81\x81\xac\x81\xacU+DCEA\x81\xac\x81\xacU+DCE0\x81\xac" "A", u"\xDC81\xDCEA\xDCE0" u"A"},
        {"a run with a CR the data file drops", u"\xDC83\xDCE9\rU", "\x81\xacU+DC83\x81\xac\x81\xacU+DCE9\x81\xac\rU",
         u"\xDC83\xDCE9\rU"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = sjis::encode(units(c.text));
        EXPECT_EQ(file, c.file);
        EXPECT_EQ(sjis::decode(file), units(c.back));
    }
}

// Every pair of bytes reads as a text that is written as bytes meaning the same text.
TEST(ShiftJis, EveryPairReadsBackAlike) {
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const std::string pair{char(lead), char(trail)};
            const std::wstring text = sjis::decode(pair);
            ASSERT_EQ(sjis::decode(sjis::encode(text)), text) << std::hex << lead << " " << trail;
        }
    }
}

}  // namespace
