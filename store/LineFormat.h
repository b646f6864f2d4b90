// What the data file and the settings file share: lines of "KEY-value" and
// their numbers. Window-free, no file access.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lineformat {

inline bool startsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && std::memcmp(s.data(), prefix.data(), prefix.size()) == 0;
}

// The words of a value, between blanks.
inline std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    while (!line.empty()) {
        const size_t blank = std::min(line.find(' '), line.size());
        if (blank) out.push_back(line.substr(0, blank));
        line.remove_prefix(std::min(blank + 1, line.size()));
    }
    return out;
}

// The first line of data, and its length with its line end. A line ends at
// LF; a CR right before the LF belongs to the line end, other CRs stay; the
// last line needs no line end.
struct FirstLine {
    std::string_view line;
    size_t length;
};
inline FirstLine firstLine(std::string_view data) {
    const char* p = data.data();
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', data.size()));
    if (!lf) return {data, data.size()};
    const char* lineEnd = (lf != p && lf[-1] == '\r') ? lf - 1 : lf;
    return {std::string_view(p, size_t(lineEnd - p)), size_t(lf + 1 - p)};
}

// Calls f(line) for every line of data, as firstLine finds them.
template <class F>
void forEachLine(std::string_view data, F&& f) {
    while (!data.empty()) {
        const FirstLine first = firstLine(data);
        f(first.line);
        data.remove_prefix(first.length);
    }
}

// The parts of a C-style decimal number at the start of a text: leading white
// space, one optional sign, then the digits up to the first other character.
struct DecimalText {
    bool negative;
    std::string_view digits;  // empty when none follow
};
DecimalText scanNumber(std::string_view text);

// scanNumber's number (no digits: 0), wrapping modulo 2^32.
uint32_t parseNumber(std::string_view text);

// Values of key lines, read and written the same way in both text files.
void parseValue(std::string_view text, int32_t& out);
void parseValue(std::string_view text, uint32_t& out);
void parseValue(std::string_view text, bool& out);  // true only for exactly 1
void parseValue(std::string_view text, std::string& out);
void parseValue(std::string_view text, std::wstring& out);  // Shift-JIS
void appendValue(std::string& out, int32_t value);
void appendValue(std::string& out, uint32_t value);
void appendValue(std::string& out, bool value);
// A single-line text; an LF in it (which no single-line editor produces) is
// written as a blank so that it cannot split the line.
void appendValue(std::string& out, const std::string& value);
void appendValue(std::string& out, const std::wstring& value);  // as Shift-JIS
void appendValue(std::string& out, std::string_view value);

// One key of a file's key lines, bound to a field through a member pointer of
// one of the `Members` types. `fieldOf(target, member)` finds the field.
template <class... Members>
struct KeyField {
    std::string_view key;
    std::variant<Members...> member;
};

// If line begins with one of the table's keys, stores the rest of the line in
// that field and answers true.
template <class Table, class Target>
bool readKeyLine(const Table& table, std::string_view line, Target& target) {
    for (const auto& f : table) {
        if (startsWith(line, f.key)) {
            std::string_view value = line.substr(f.key.size());
            std::visit([&](auto m) { parseValue(value, fieldOf(target, m)); }, f.member);
            return true;
        }
    }
    return false;
}

// Writes every key of the table in its order, each line ending in CR LF.
template <class Table, class Target>
void appendKeyLines(std::string& out, const Table& table, const Target& target) {
    for (const auto& f : table) {
        out += f.key;
        std::visit([&](auto m) { appendValue(out, fieldOf(target, m)); }, f.member);
        out += "\r\n";
    }
}

}  // namespace lineformat
