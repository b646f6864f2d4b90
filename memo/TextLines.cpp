#include "memo/TextLines.h"
#include <algorithm>

namespace {

using Char = TextChar;

// A character a line may break before and after, as between two kanji.
bool isWide(CharCode c) { return c >= 0x2000 && !(c >= 0xFF61 && c <= 0xFF9F); }

// How far a character at `x` moves the next one; line ends take no room.
int32_t advance(const CharWidths& widths, CharCode c, int32_t x) {
    if (c == '\t') return widths.tab - x % widths.tab;
    if (c == '\r' || c == '\n' || isMark(c)) return 0;
    return std::max(0, widths.width(c));
}

}  // namespace

TextChar charAt(std::wstring_view text, size_t i) {
    const auto c = CharCode(text[i]);
    const bool pair = (c & 0xFC00) == 0xD800 && i + 1 < text.size() && (CharCode(text[i + 1]) & 0xFC00) == 0xDC00;
    return {c, pair ? 2u : 1u};
}

std::vector<CharCode> CharWidths::unknown(std::wstring_view text) const {
    std::vector<CharCode> found;
    std::vector<bool> listed(65536);
    for (size_t i = 0; i < text.size();) {
        Char ch = charAt(text, i);
        if (widths_[ch.code] < 0 && !listed[ch.code]) {
            listed[ch.code] = true;
            found.push_back(ch.code);
        }
        i += ch.size;
    }
    return found;
}

bool isMark(CharCode c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) ||
           c == 0x200D || c == 0x3099 || c == 0x309A;
}

bool joinsBefore(std::wstring_view text, size_t i) {
    const auto c = CharCode(text[i]), before = CharCode(text[i - 1]);
    return ((c & 0xFC00) == 0xDC00 && (before & 0xFC00) == 0xD800) || isMark(c) || before == 0x200D;
}

bool mayBreakBefore(std::wstring_view text, size_t i) {
    // Kept off a line's start, and off its end.
    static const std::wstring_view NO_START =
        L"、。，．・：；？！゛゜ヽヾゝゞ々〻ー‐–〜～…‥）］｝」』】〕〉》〙〗〟’”｠»"
        L"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿ"
        L"｡｣､･ｰｧｨｩｪｫｬｭｮｯﾞﾟ!%),.:;?]}";
    static const std::wstring_view NO_END = L"（［｛「『【〔〈《〘〖〝‘“｟«｢([{";
    const wchar_t c = text[i], before = text[i - 1];
    if (joinsBefore(text, i)) return false;
    if (c == L' ' || c == L'\t' || NO_START.find(c) != std::wstring_view::npos) return false;
    if (NO_END.find(before) != std::wstring_view::npos) return false;
    return before == L' ' || before == L'\t' || isWide(CharCode(c)) || isWide(CharCode(before));
}

size_t wrapEnd(std::wstring_view text, size_t start, size_t end, const CharWidths& widths, int32_t wrapWidth) {
    int32_t x = 0;
    size_t lastBreak = start;
    for (size_t i = start; i < end;) {
        const Char ch = charAt(text, i);
        if (i > start && mayBreakBefore(text, i)) lastBreak = i;
        const int32_t w = advance(widths, ch.code, x);
        if (i > start && w > 0 && x + w > wrapWidth) {
            if (lastBreak > start) return lastBreak;
            // A half-width katakana goes along with its voicing mark, a character with its marks.
            size_t cut = i;
            while (cut > start && (joinsBefore(text, cut) || text[cut] == 0xFF9E || text[cut] == 0xFF9F)) --cut;
            if (cut > start) return cut;
            // One character wider than the line: all of it on this line.
            while (i < end && joinsBefore(text, i)) ++i;
            return i;
        }
        x += w;
        i += ch.size;
    }
    return end;
}

TextLines breakLines(std::wstring_view text, const CharWidths& widths, int32_t wrapWidth, size_t most) {
    TextLines lines;
    lines.starts.push_back(0);
    for (size_t start = 0; start < text.size() && lines.starts.size() <= most;) {
        const size_t lf = text.find(L'\n', start), end = lf == std::wstring_view::npos ? text.size() : lf;
        if (wrapWidth > 0) {
            for (size_t next; (next = wrapEnd(text, start, end, widths, wrapWidth)) < end && lines.starts.size() <= most;) {
                lines.starts.push_back(uint32_t(start = next));
            }
        }
        int32_t x = 0;
        for (size_t i = start; i < end; ++i) x += advance(widths, charAt(text, i).code, x);
        lines.widest = std::max(lines.widest, x);
        // The line break that ends the text starts no line of its own.
        if (end + 1 >= text.size()) break;
        lines.starts.push_back(uint32_t(start = end + 1));
    }
    return lines;
}

size_t lineOf(const TextLines& lines, uint32_t offset) {
    auto after = std::upper_bound(lines.starts.begin(), lines.starts.end(), offset);
    return after == lines.starts.begin() ? 0 : size_t(after - lines.starts.begin() - 1);
}

std::vector<TextRun> lineRuns(std::wstring_view text, const TextLines& lines, size_t line, const CharWidths& widths,
                              int32_t fromX, int32_t toX) {
    std::vector<TextRun> runs;
    const size_t end = line + 1 < lines.starts.size() ? lines.starts[line + 1] : text.size();
    int32_t x = 0;
    TextRun run{0, lines.starts[line], 0};
    auto flush = [&] {
        if (run.length > 0 && x > fromX) runs.push_back(run);
    };
    // Short runs: of a long line without wrapping, only what is seen is drawn.
    for (size_t i = run.offset; i < end && x < toX;) {
        Char ch = charAt(text, i);
        x += advance(widths, ch.code, x);
        i += ch.size;
        if (ch.code == '\t' || ch.code == '\r' || ch.code == '\n') {
            flush();
            run = {x, uint32_t(i), 0};
            continue;
        }
        run.length += ch.size;
        if (run.length >= 128 && (i >= end || !joinsBefore(text, i))) {
            flush();
            run = {x, uint32_t(i), 0};
        }
    }
    flush();
    return runs;
}
