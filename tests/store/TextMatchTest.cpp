#include <gtest/gtest.h>
#include <codecvt>
#include <locale>
#include <string>
#include <vector>
#include "store/TextMatch.h"

namespace {

// UTF-8 as the program's text (UTF-16 code units), and back.
std::wstring wide(const std::string& text) {
    std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t> utf16;
    const std::u16string units = utf16.from_bytes(text);
    return std::wstring(units.begin(), units.end());
}
std::string narrow(const std::wstring& text) {
    std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t> utf16;
    return utf16.to_bytes(std::u16string(text.begin(), text.end()));
}

// The matches in `text` set in brackets.
std::string bracketed(const std::string& text, const std::string& typed) {
    const std::wstring units = wide(text);
    std::vector<TextMatch> found;
    const size_t count = findMatches(units, TextQuery(wide(typed)), found, SIZE_MAX);
    EXPECT_EQ(count, found.size());
    std::wstring marked;
    size_t at = 0;
    for (const TextMatch& m : found) {
        marked += units.substr(at, m.offset - at) + L"[" + units.substr(m.offset, m.length) + L"]";
        at = m.offset + m.length;
    }
    return narrow(marked + units.substr(at));
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
        {"full-width symbols", "POSIXLY_correct find-name", "ＰＯＳＩＸＬＹ＿ｃｏｒｒｅｃｔ", "[POSIXLY_correct] find-name"},
        {"full-width minus", "ＦＩＮＤ－ＮＡＭＥ", "find-name", "[ＦＩＮＤ－ＮＡＭＥ]"},
        {"ideographic space", "a b　c", "a　b c", "[a b　c]"},
        {"emoji", "😀😀 😀", "😀 ", "😀[😀 ]😀"},
        {"beyond Shift-JIS", "Café 한글 😀", "é 한", "Caf[é 한]글 😀"},
        {"the web's twins and the file's look-alikes", "～―－∥￠￡￢ 〜—−‖¢£¬", "〜—−‖¢£¬", "[～―－∥￠￡￢] [〜—−‖¢£¬]"},
        {"nothing typed", "abc", "", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(bracketed(c.text, c.typed), c.marked);
    }
}

// Every full-width form of an ASCII character, typed or in the text, finds
// the ASCII one and itself, between any two letters.
TEST(TextMatch, FullWidthFormsAreTheirAsciiCharacters) {
    for (wchar_t full = 0xFF01; full <= 0xFF5E; ++full) {
        const wchar_t ascii = wchar_t(full - 0xFF01 + 0x21);
        SCOPED_TRACE(int(ascii));
        for (const std::wstring& typed : {std::wstring(1, full), std::wstring(1, ascii)}) {
            std::vector<TextMatch> found;
            EXPECT_EQ(findMatches(std::wstring(L"あ") + ascii + L"あ" + full + L"あ", TextQuery(typed), found, 9), 2u);
        }
    }
}

// The find list's line: the indent dropped, the match near its start, cuts marked "…".
TEST(TextMatch, ContextStartsNearTheMatch) {
    const std::pair<std::string, std::string> cases[] = {{"first\n      \t　index.html を開く", "index.html を開く"},
        {"0123456789abcdefghij index and more", "…defghij index and more"},
        {"index " + std::string(60, 'x'), "index " + std::string(47, 'x') + "…"}};
    for (const auto& [text, line] : cases) {
        std::vector<TextMatch> found;
        findMatches(wide(text), TextQuery(L"index"), found, 1);
        EXPECT_EQ(narrow(matchContext(wide(text), found.at(0), 8, 48)), line);
    }
}

}  // namespace
