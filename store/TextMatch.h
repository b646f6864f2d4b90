// How a search matches what the user typed against memo texts, as a
// Japanese reader expects: case-insensitive; the full-width form of every
// ASCII character (and the ideographic space) like the ASCII one; half-width
// and full-width katakana alike (a half-width katakana with its voicing mark
// is the one voiced katakana); hiragana alike with katakana; the web's "〜"
// like "～" and the six other twins the data file keeps as look-alikes. A match begins
// and ends between characters: never inside a surrogate pair or a half-width
// katakana and its mark.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// `length` code units of the text from `offset`.
struct TextMatch {
    uint32_t offset = 0, length = 0;
};

// What the user typed, folded once for every text it is matched against.
class TextQuery {
public:
    explicit TextQuery(std::wstring_view typed);
    bool empty() const { return units_.empty(); }

private:
    friend size_t findMatches(std::wstring_view, const TextQuery&, std::vector<TextMatch>&, size_t);
    std::vector<uint32_t> units_;  // one folded character each
    // For each code unit: whether a character that begins with it may fold to the first unit.
    std::vector<uint8_t> beginsMatch_;
};

// The matches of `query` in `text`, from the left, none overlapping the one
// before: all of them are counted, the first `most` appended to `found`. An
// empty query matches nothing.
size_t findMatches(std::wstring_view text, const TextQuery& query, std::vector<TextMatch>& found, size_t most);

// The line of `text` that holds `match`, as a list shows it: its indent
// dropped, at most `before` code units before the match and `after` after it,
// cut between characters ("…" where cut), tabs as blanks.
std::wstring matchContext(std::wstring_view text, const TextMatch& match, size_t before, size_t after);
