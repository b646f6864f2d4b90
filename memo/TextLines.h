// How a memo's text (UTF-16 code units, CR LF lines) is broken into the
// lines it is shown in: window-free, in pixels, from the widths of its characters.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

// A character of the text: its code unit; a surrogate pair goes by its
// first unit, measured with the first pair met.
using CharCode = uint16_t;

// Tab stops lie every 32 dialog units of the font (eight average
// characters), in the view and in the editor alike.
constexpr int TAB_STOP_UNITS = 32;

// The advance widths of one font's characters and its line height, as the
// window code measures them; a tab reaches the next multiple of `tab`.
class CharWidths {
public:
    int width(CharCode c) const { return widths_[c]; }
    void set(CharCode c, int width) { widths_[c] = static_cast<int16_t>(width); }
    // The characters of `text` not measured yet, each once.
    std::vector<CharCode> unknown(std::wstring_view text) const;
    int tab = 1;
    int lineHeight = 1;

private:
    std::vector<int16_t> widths_ = std::vector<int16_t>(65536, -1);
};

struct TextLines {
    std::vector<uint32_t> starts;  // where each shown line begins in the text; at least one
    int32_t widest = 0;            // the widest line's pixels
};

// A mark drawn on the character before it that takes no room of its own: a
// combining mark, a variation selector, the zero-width joiner.
bool isMark(CharCode c);
// Whether `text[i]` (0 < i < size) is drawn as one with the character before
// it: the second unit of a surrogate pair, a mark, or what a joiner joins.
bool joinsBefore(std::wstring_view text, size_t i);

// Whether a shown line may begin at `text[i]` (0 < i < size), in the view
// and in the editor alike: after a blank, and before or after a wide (CJK)
// character; never before closing punctuation, a small kana or a prolonged
// sound mark (。、」』）！？ぁっー...), after opening punctuation (「『（...), where
// the character joins the one before it (joinsBefore) or before a half-width
// voicing mark.
bool mayBreakBefore(std::wstring_view text, size_t i);

// Where the shown line that begins at `start` ends, `wrapWidth` pixels wide,
// in the text line that ends at `end`: at its last place to break that
// fits, or after as many characters as fit (at least one) when none does.
// Blanks take their room, as in the editor.
size_t wrapEnd(std::wstring_view text, size_t start, size_t end, const CharWidths& widths, int32_t wrapWidth);

// The lines of `text` shown `wrapWidth` pixels wide (0: no wrapping, a line
// per CR LF, the last one ending the text or followed by more), each ending
// where wrapEnd says. Stops once there are more than `most` lines.
TextLines breakLines(std::wstring_view text, const CharWidths& widths, int32_t wrapWidth,
                     size_t most = SIZE_MAX);

// The shown line that holds the text's code unit `offset`.
size_t lineOf(const TextLines& lines, uint32_t offset);

// A piece of a shown line to draw at `x` (pixels from the line's left):
// `length` code units from `offset`, without tabs and line ends.
struct TextRun {
    int32_t x;
    uint32_t offset, length;
};
// The runs of the shown line `line` that reach into the pixels fromX..toX.
std::vector<TextRun> lineRuns(std::wstring_view text, const TextLines& lines, size_t line, const CharWidths& widths,
                              int32_t fromX, int32_t toX);

// A character of the text at `i`: its code and how many code units it takes.
struct TextChar {
    CharCode code;
    uint32_t size;
};
TextChar charAt(std::wstring_view text, size_t i);
