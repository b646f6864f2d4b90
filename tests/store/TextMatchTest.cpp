#include <gtest/gtest.h>
#include <iconv.h>
#include <string>
#include <vector>
#include "store/TextMatch.h"

namespace {

// The text from one encoding in another.
std::string convert(const std::string& text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    std::string in = text, out(text.size() * 3 + 4, '\0');
    char *src = in.data(), *dst = out.data();
    size_t left = in.size(), room = out.size();
    size_t done = iconv(cd, &src, &left, &dst, &room);
    // The last character may wait for a mark that would join it: flushed.
    if (done != size_t(-1)) done = iconv(cd, nullptr, nullptr, &dst, &room);
    iconv_close(cd);
    EXPECT_NE(done, size_t(-1)) << text;
    return out.substr(0, out.size() - room);
}

// The matches in `text` (UTF-8, matched as Shift-JIS) set in brackets.
std::string bracketed(const std::string& text, const std::string& typed) {
    const std::string sjis = convert(text, "CP932", "UTF-8");
    std::vector<TextMatch> found;
    const size_t count = findMatches(sjis, TextQuery(convert(typed, "CP932", "UTF-8")), found, SIZE_MAX);
    EXPECT_EQ(count, found.size());
    std::string marked;
    size_t at = 0;
    for (const TextMatch& m : found) {
        marked += sjis.substr(at, m.offset - at) + "[" + sjis.substr(m.offset, m.length) + "]";
        at = m.offset + m.length;
    }
    return convert(marked + sjis.substr(at), "UTF-8", "CP932");
}

TEST(TextMatch, AsAJapaneseReaderExpects) {
    struct Case {
        const char* name;
        std::string text, typed, marked;
    } cases[] = {
        {"any case", "Apple apple APPLE", "aPPle", "[Apple] [apple] [APPLE]"},
        {"full-width letters", "apple Ａｐｐｌｅ", "ＡＰＰＬＥ", "[apple] [Ａｐｐｌｅ]"},
        {"full-width digits", "２０２６年 2026", "2026", "[２０２６]年 [2026]"},
        {"hiragana, katakana, half-width", "かたかな カタカナ ｶﾀｶﾅ", "カタカナ", "[かたかな] [カタカナ] [ｶﾀｶﾅ]"},
        {"voiced half-width pairs", "ガイド ｶﾞｲﾄﾞ がいど", "ｶﾞｲﾄﾞ", "[ガイド] [ｶﾞｲﾄﾞ] [がいど]"},
        {"unvoiced is not voiced", "ｶﾞ ガ が カ", "か", "ｶﾞ ガ が [カ]"},
        {"half-voiced", "パン ﾊﾟﾝ ﾊﾞﾝ", "ぱん", "[パン] [ﾊﾟﾝ] ﾊﾞﾝ"},
        {"vu", "ｳﾞｨ ヴィ", "ヴィ", "[ｳﾞｨ] [ヴィ]"},
        {"a mark alone, not a kana's", "ﾄﾞ ﾞ ゛", "゛", "ﾄﾞ [ﾞ] [゛]"},
        {"long vowel mark", "ｺｰﾋｰ コーヒー", "こーひー", "[ｺｰﾋｰ] [コーヒー]"},
        {"backslash never inside ソ or 表", "ソース表示\\", "\\", "ソース表示[\\]"},
        {"@ never inside ァ", "ァ@", "@", "ァ[@]"},
        {"no character across two", "ャA", "ア", "ャA"},
        {"no overlap", "aaa", "aa", "[aa]a"},
        {"nothing typed", "abc", "", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(bracketed(c.text, c.typed), c.marked);
    }
}

}  // namespace
