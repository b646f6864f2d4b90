// How a search matches what the user typed against memo texts (Shift-JIS), as
// a Japanese reader expects: case-insensitive; full-width and half-width forms
// of a letter, digit or katakana alike (a half-width katakana with its voicing
// mark is the one voiced katakana); hiragana alike with katakana. A match
// begins and ends between characters: a search for an ASCII character never
// matches the second byte of a two-byte character (the "\" of "ソ" or "表").
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// `length` bytes of the text from `offset`.
struct TextMatch {
    uint32_t offset = 0, length = 0;
};

// What the user typed, folded once for every text it is matched against.
class TextQuery {
public:
    explicit TextQuery(std::string_view typed);
    bool empty() const { return units_.empty(); }

private:
    friend size_t findMatches(std::string_view, const TextQuery&, std::vector<TextMatch>&, size_t);
    std::vector<uint16_t> units_;  // one folded character each
    // For each two bytes, the first in the low byte: whether a character that
    // begins with them folds to the first unit.
    std::vector<uint8_t> beginsMatch_;
};

// The matches of `query` in `text`, from the left, none overlapping the one
// before: all of them are counted, the first `most` appended to `found`. An
// empty query matches nothing.
size_t findMatches(std::string_view text, const TextQuery& query, std::vector<TextMatch>& found, size_t most);

// The line of `text` that holds `match`, as a list shows it: at most `before`
// bytes before the match and `after` after it, cut between characters ("..."
// where cut), tabs as blanks.
std::string matchContext(std::string_view text, const TextMatch& match, size_t before, size_t after);
