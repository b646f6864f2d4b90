#include "store/TextMatch.h"
#include <algorithm>
#include "store/ShiftJis.h"

namespace {

// The full-width forms of the half-width characters U+FF61 to U+FF9F: "｡" to
// "ｯ", "ｰ", "ｱ" to "ﾝ", and the voicing marks "ﾞ" and "ﾟ".
const char16_t FULL_WIDTH[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,
};
constexpr uint32_t VOICED_MARK = 0xFF9E, HALF_VOICED_MARK = 0xFF9F;
const wchar_t* const MORE = L"\u2026";  // "…" where a line is cut

// The full-width katakana of a half-width one and its mark, or 0. In the
// full-width rows the voiced "ガ" follows "カ", and "バ", "パ" follow "ハ".
uint32_t voicedKana(uint32_t kana, uint32_t mark) {
    const bool kaToTo = kana >= 0xFF76 && kana <= 0xFF84, haToHo = kana >= 0xFF8A && kana <= 0xFF8E;
    if (mark == VOICED_MARK && kana == 0xFF73) return 0x30F4;  // "ｳﾞ": "ヴ"
    if (mark == VOICED_MARK && (kaToTo || haToHo)) return FULL_WIDTH[kana - 0xFF61] + 1u;
    if (mark == HALF_VOICED_MARK && haToHo) return FULL_WIDTH[kana - 0xFF61] + 2u;
    return 0;
}

// Each code unit folded on its own: ASCII and its full-width forms to
// lower-case ASCII, hiragana and half-width katakana to full-width katakana,
// the web's twins of Japanese symbols to their look-alikes.
const std::vector<char16_t>& foldTable() {
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> t(65536);
        for (uint32_t c = 0; c < t.size(); ++c) t[c] = char16_t(c);
        for (uint32_t c = 0xFF01; c <= 0xFF5E; ++c) t[c] = char16_t(c - 0xFF01 + 0x21);
        t[0x3000] = u' ';
        for (uint32_t c = 'A'; c <= 'Z'; ++c) t[c] = t[c + 0xFF00 - 0x20] = char16_t(c + 32);
        for (uint32_t c = 0x3041; c <= 0x3096; ++c) t[c] = char16_t(c + 0x60);
        t[0x309D] = 0x30FD;  // "ゝ" "ゞ": "ヽ" "ヾ"
        t[0x309E] = 0x30FE;
        for (uint32_t c = 0xFF61; c <= 0xFF9F; ++c) t[c] = FULL_WIDTH[c - 0xFF61];
        // The data file keeps the web's "〜" as "～": both are one character to find.
        for (uint32_t c = 0; c < t.size(); ++c) {
            if (const char16_t look = sjis::lookAlike(c)) t[c] = t[look];
        }
        return t;
    }();
    return table;
}

uint32_t foldUnit(uint32_t c) { return c <= 0xFFFF ? foldTable()[c] : c; }

struct Folded {
    uint32_t unit;
    uint32_t units;  // how many code units of the text it takes
};

// The character at `p`, folded.
Folded foldAt(const wchar_t* p, const wchar_t* end) {
    const auto c = uint32_t(*p);
    if (p + 1 < end) {
        if (uint32_t voiced = voicedKana(c, uint32_t(p[1]))) return {voiced, 2};
        if (c >= 0xD800 && c <= 0xDBFF && (uint32_t(p[1]) & 0xFC00) == 0xDC00) return {c, 1};
    }
    return {foldUnit(c), 1};
}

// The code units from `p` that match `units`, or 0.
uint32_t matchAt(const wchar_t* p, const wchar_t* end, const std::vector<uint32_t>& units) {
    const wchar_t* at = p;
    for (uint32_t unit : units) {
        if (at == end) return 0;
        const Folded f = foldAt(at, end);
        if (f.unit != unit) return 0;
        at += f.units;
    }
    return uint32_t(at - p);
}

// Whether the unit at `i` begins a character: no low surrogate of a pair, no
// mark of a half-width katakana.
bool beginsCharacter(const wchar_t* text, size_t i) {
    if (i == 0) return true;
    const auto c = uint32_t(text[i]), before = uint32_t(text[i - 1]);
    if ((c & 0xFC00) == 0xDC00 && (before & 0xFC00) == 0xD800) return false;
    return !voicedKana(before, c);
}

}  // namespace

TextQuery::TextQuery(std::wstring_view typed) {
    const wchar_t* p = typed.data();
    const wchar_t* end = p + typed.size();
    while (p < end) {
        const Folded f = foldAt(p, end);
        units_.push_back(f.unit);
        p += f.units;
    }
    if (units_.empty()) return;
    beginsMatch_.assign(65536, 0);
    for (uint32_t c = 0; c < 65536; ++c) beginsMatch_[c] = foldUnit(c) == units_[0];
    // A half-width katakana may begin a voiced one.
    for (uint32_t c = 0xFF61; c <= 0xFF9F; ++c) {
        beginsMatch_[c] |= voicedKana(c, VOICED_MARK) == units_[0] || voicedKana(c, HALF_VOICED_MARK) == units_[0];
    }
}

size_t findMatches(std::wstring_view text, const TextQuery& query, std::vector<TextMatch>& found, size_t most) {
    if (query.empty()) return 0;
    const wchar_t* units = text.data();
    const size_t size = text.size();
    const uint8_t* table = query.beginsMatch_.data();
    auto mayBegin = [&](size_t at) { return uint32_t(units[at]) <= 0xFFFF && table[uint32_t(units[at])]; };
    size_t count = 0;
    for (size_t i = 0; i < size; ++i) {
        while (i + 4 <= size && !(mayBegin(i) | mayBegin(i + 1) | mayBegin(i + 2) | mayBegin(i + 3))) i += 4;
        while (i < size && !mayBegin(i)) ++i;
        if (i >= size) break;
        const uint32_t length = matchAt(units + i, units + size, query.units_);
        if (length == 0 || !beginsCharacter(units, i)) continue;
        if (count++ < most) found.push_back({uint32_t(i), length});
        i += length - 1;
    }
    return count;
}

std::wstring matchContext(std::wstring_view text, const TextMatch& match, size_t before, size_t after) {
    const wchar_t* units = text.data();
    const wchar_t* end = units + text.size();
    const size_t lineStart = text.find_last_of(L"\r\n", match.offset == 0 ? 0 : match.offset - 1);
    size_t from = lineStart == std::wstring_view::npos || match.offset == 0 ? 0 : lineStart + 1;
    // An indent shows nothing of the match: the line starts at its first character.
    while (from < match.offset && (units[from] == L' ' || units[from] == L'\t' || units[from] == 0x3000)) ++from;
    const size_t lineEnd = std::min(text.find_first_of(L"\r\n", match.offset + match.length), text.size());
    auto charUnits = [&](size_t at) {
        const uint32_t c = uint32_t(units[at]);
        const bool pair = at + 1 < text.size() && (c & 0xFC00) == 0xD800 && (uint32_t(units[at + 1]) & 0xFC00) == 0xDC00;
        return pair ? size_t(2) : size_t(foldAt(units + at, end).units);
    };
    std::wstring line;
    if (match.offset - from > before) {
        while (match.offset - from > before) from += charUnits(from);
        line = MORE;
    }
    size_t to = match.offset + match.length;
    while (to < lineEnd && to + charUnits(to) <= match.offset + match.length + after) to += charUnits(to);
    line.append(text.substr(from, to - from));
    if (to < lineEnd) line += MORE;
    std::replace(line.begin(), line.end(), L'\t', L' ');
    return line;
}
