#include "store/TextMatch.h"
#include <algorithm>

namespace {

bool isLead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The full-width characters of the half-width ones 0xA1 to 0xDF: "｡" to "ｯ",
// "ｰ", "ｱ" to "ﾝ", and the voicing marks "ﾞ" and "ﾟ".
const uint16_t FULL_WIDTH[] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385,
    0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E, 0x8350, 0x8352,
    0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B,
    0x836C, 0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384,
    0x8386, 0x8388, 0x8389, 0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,
};
const uint8_t VOICED_MARK = 0xDE, HALF_VOICED_MARK = 0xDF;

// The full-width katakana of a half-width one and its mark, or 0. In the
// full-width rows the voiced "ガ" follows "カ", and "バ", "パ" follow "ハ".
uint16_t voicedKana(uint8_t kana, uint8_t mark) {
    const bool kaToTo = kana >= 0xB6 && kana <= 0xC4, haToHo = kana >= 0xCA && kana <= 0xCE;
    if (mark == VOICED_MARK && kana == 0xB3) return 0x8394;  // "ｳﾞ": "ヴ"
    if (mark == VOICED_MARK && (kaToTo || haToHo)) return FULL_WIDTH[kana - 0xA1] + 1;
    if (mark == HALF_VOICED_MARK && haToHo) return FULL_WIDTH[kana - 0xA1] + 2;
    return 0;
}

struct Folded {
    uint16_t unit;  // an ASCII character, or a two-byte character's code
    uint8_t bytes;
};

// The character at `p`, folded: full-width letters and digits to lower-case
// ASCII, hiragana and half-width katakana to full-width katakana.
Folded foldAt(const uint8_t* p, const uint8_t* end) {
    const uint8_t c = *p;
    if (c < 0x80) return {uint16_t(c >= 'A' && c <= 'Z' ? c + 32 : c), 1};
    if (isLead(c) && p + 1 < end) {
        uint16_t code = uint16_t(c << 8 | p[1]);
        if (code >= 0x824F && code <= 0x8258) return {uint16_t('0' + code - 0x824F), 2};
        if (code >= 0x8260 && code <= 0x8279) return {uint16_t('a' + code - 0x8260), 2};
        if (code >= 0x8281 && code <= 0x829A) return {uint16_t('a' + code - 0x8281), 2};
        // "ぁ" to "ん" run as "ァ" to "ン", where the katakana skip 0x837F.
        if (code >= 0x829F && code <= 0x82F1) {
            const int i = code - 0x829F;
            code = uint16_t(0x8340 + i + (i >= 0x3F));
        }
        return {code, 2};
    }
    if (c >= 0xA1 && c <= 0xDF) {
        if (p + 1 < end) {
            if (uint16_t voiced = voicedKana(c, p[1])) return {voiced, 2};
        }
        return {FULL_WIDTH[c - 0xA1], 1};
    }
    return {c, 1};
}

// The bytes from `p` that match `units`, or 0.
uint32_t matchAt(const uint8_t* p, const uint8_t* end, const std::vector<uint16_t>& units) {
    const uint8_t* at = p;
    for (uint16_t unit : units) {
        if (at == end) return 0;
        const Folded f = foldAt(at, end);
        if (f.unit != unit) return 0;
        at += f.bytes;
    }
    return uint32_t(at - p);
}

// Whether byte `i` begins a character, counted from `known`, a byte that
// does: the lead bytes right before it pair up, and it is not the mark of a
// half-width katakana. `known` moves up to `i` or the byte after it, so that
// the next call counts no byte again.
bool beginsCharacter(const uint8_t* text, size_t i, size_t& known) {
    auto leadsPairUp = [&](size_t at) {
        size_t leads = 0;
        while (at - leads > known && isLead(text[at - leads - 1])) ++leads;
        return leads % 2 == 0;
    };
    const bool begins =
        leadsPairUp(i) && !(i > known && voicedKana(text[i - 1], text[i]) && leadsPairUp(i - 1));
    known = begins ? i : i + 1;
    return begins;
}

}  // namespace

TextQuery::TextQuery(std::string_view typed) {
    const auto* p = reinterpret_cast<const uint8_t*>(typed.data());
    const uint8_t* end = p + typed.size();
    while (p < end) {
        const Folded f = foldAt(p, end);
        units_.push_back(f.unit);
        p += f.bytes;
    }
    if (units_.empty()) return;
    // Every way a character can begin, folded: a byte and the byte after it.
    beginsMatch_.assign(65536, 0);
    for (int pair = 0; pair < 65536; ++pair) {
        const uint8_t bytes[2] = {uint8_t(pair), uint8_t(pair >> 8)};
        beginsMatch_[pair] = foldAt(bytes, bytes + 2).unit == units_[0];
    }
}

// The places that may begin a match are found two bytes at a time, four
// places a step, with no reading of the text character by character, which
// waits for each character's first byte to find the next; where a match is
// found, the bytes before it tell whether it begins a character.
size_t findMatches(std::string_view text, const TextQuery& query, std::vector<TextMatch>& found, size_t most) {
    if (query.empty()) return 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const size_t size = text.size();
    const uint8_t* table = query.beginsMatch_.data();
    auto mayBegin = [&](size_t at) { return table[bytes[at] | bytes[at + 1] << 8]; };
    size_t count = 0, known = 0;
    for (size_t i = 0; i < size; ++i) {
        while (i + 4 < size && !(mayBegin(i) | mayBegin(i + 1) | mayBegin(i + 2) | mayBegin(i + 3))) i += 4;
        while (i + 1 < size && !mayBegin(i)) ++i;
        const uint32_t length = matchAt(bytes + i, bytes + size, query.units_);
        if (length == 0 || !beginsCharacter(bytes, i, known)) continue;
        if (count++ < most) found.push_back({uint32_t(i), length});
        i += length - 1;
    }
    return count;
}

std::string matchContext(std::string_view text, const TextMatch& match, size_t before, size_t after) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const uint8_t* end = bytes + text.size();
    const size_t lineStart = text.find_last_of("\r\n", match.offset == 0 ? 0 : match.offset - 1);
    size_t from = lineStart == std::string_view::npos || match.offset == 0 ? 0 : lineStart + 1;
    const size_t lineEnd = std::min(text.find_first_of("\r\n", match.offset + match.length), text.size());
    std::string line;
    if (match.offset - from > before) {
        while (match.offset - from > before) from += foldAt(bytes + from, end).bytes;
        line = "...";
    }
    size_t to = match.offset + match.length;
    while (to < lineEnd && to + foldAt(bytes + to, end).bytes <= match.offset + match.length + after) {
        to += foldAt(bytes + to, end).bytes;
    }
    line.append(text.substr(from, to - from));
    if (to < lineEnd) line += "...";
    for (char& c : line) {
        if (c == '\t') c = ' ';
    }
    return line;
}
