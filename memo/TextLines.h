// How a memo's text (Shift-JIS, CR LF lines) is broken into the lines it is
// shown in: window-free, in pixels, from the widths of its characters.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

// The first byte of a two-byte Shift-JIS character.
inline bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// A character of the text: one byte, or lead << 8 | trail.
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
    std::vector<CharCode> unknown(std::string_view text) const;
    int tab = 1;
    int lineHeight = 1;

private:
    std::vector<int16_t> widths_ = std::vector<int16_t>(65536, -1);
};

struct TextLines {
    std::vector<uint32_t> starts;  // where each shown line begins in the text; at least one
    int32_t widest = 0;            // the widest line's pixels
};

// The lines of `text` shown `wrapWidth` pixels wide (0: no wrapping, a line
// per CR LF, the last one ending the text or followed by more). A line breaks after blanks, which may hang past the edge, and
// before or after a two-byte character; a word wider than a line breaks
// where it reaches the edge. Stops once there are more than `most` lines.
TextLines breakLines(std::string_view text, const CharWidths& widths, int32_t wrapWidth,
                     size_t most = SIZE_MAX);

// The shown line that holds the text's byte `offset`.
size_t lineOf(const TextLines& lines, uint32_t offset);

// A piece of a shown line to draw at `x` (pixels from the line's left):
// `length` bytes from `offset`, without tabs and line ends.
struct TextRun {
    int32_t x;
    uint32_t offset, length;
};
// The runs of the shown line `line` that reach into the pixels fromX..toX.
std::vector<TextRun> lineRuns(std::string_view text, const TextLines& lines, size_t line, const CharWidths& widths,
                              int32_t fromX, int32_t toX);

// A byte offset of `text` as a count of characters, and back (an edit control
// of the system may count either).
uint32_t charsBefore(std::string_view text, uint32_t offset);
uint32_t offsetOfChar(std::string_view text, uint32_t chars);
