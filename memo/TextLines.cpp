#include "memo/TextLines.h"
#include <algorithm>

namespace {

using Char = TextChar;

// A character a line may break before and after, as between two kanji.
bool isWide(CharCode c) { return c >= 0x2000 && !(c >= 0xFF61 && c <= 0xFF9F); }

// How far a character at `x` moves the next one; line ends take no room.
int32_t advance(const CharWidths& widths, CharCode c, int32_t x) {
    if (c == '\t') return widths.tab - x % widths.tab;
    if (c == '\r' || c == '\n') return 0;
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

TextLines breakLines(std::wstring_view text, const CharWidths& widths, int32_t wrapWidth, size_t most) {
    TextLines lines;
    lines.starts.push_back(0);
    int32_t x = 0;
    size_t lineStart = 0, breakAt = 0;  // a break at or before the line's start is none
    for (size_t i = 0; i < text.size() && lines.starts.size() <= most;) {
        Char ch = charAt(text, i);
        if (ch.code == '\n') {
            lines.widest = std::max(lines.widest, x);
            lineStart = ++i;
            x = 0;
            // The line break that ends the text starts no line of its own.
            if (i < text.size()) lines.starts.push_back(uint32_t(lineStart));
            continue;
        }
        const bool blank = ch.code == ' ' || ch.code == '\t';
        const int32_t w = advance(widths, ch.code, x);
        if (wrapWidth > 0 && !blank && w > 0 && x + w > wrapWidth && i > lineStart) {
            lineStart = isWide(ch.code) || breakAt <= lineStart ? i : breakAt;
            lines.starts.push_back(uint32_t(lineStart));
            // What moves to the new line holds no blank, so it fit on the old one.
            x = 0;
            for (size_t j = lineStart; j < i;) {
                Char moved = charAt(text, j);
                x += advance(widths, moved.code, x);
                j += moved.size;
            }
            continue;  // the same character again, now on the new line
        }
        x += w;
        if (blank || isWide(ch.code)) breakAt = i + ch.size;
        i += ch.size;
    }
    lines.widest = std::max(lines.widest, x);
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
        if (run.length >= 128) {
            flush();
            run = {x, uint32_t(i), 0};
        }
    }
    flush();
    return runs;
}
