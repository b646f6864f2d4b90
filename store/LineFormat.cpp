#include "store/LineFormat.h"
#include <charconv>
#include "store/ShiftJis.h"

namespace lineformat {

DecimalText scanNumber(std::string_view text) {
    size_t i = 0;
    // White space as C's isspace() sees it in the "C" locale.
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    size_t first = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return {negative, text.substr(first, i - first)};
}

uint32_t parseNumber(std::string_view text) {
    DecimalText number = scanNumber(text);
    uint32_t value = 0;  // unsigned arithmetic wraps, however many digits follow
    for (char digit : number.digits) value = value * 10u + uint32_t(digit - '0');
    return number.negative ? 0u - value : value;
}

void parseValue(std::string_view text, int32_t& out) { out = int32_t(parseNumber(text)); }
void parseValue(std::string_view text, uint32_t& out) { out = parseNumber(text); }
void parseValue(std::string_view text, bool& out) { out = parseNumber(text) == 1; }
void parseValue(std::string_view text, std::string& out) { out.assign(text); }
void parseValue(std::string_view text, std::wstring& out) { out = sjis::decode(text); }

namespace {
template <class T>
void appendInteger(std::string& out, T value) {
    char buf[16];
    char* end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out.append(buf, end);
}
}  // namespace

void appendValue(std::string& out, int32_t value) { appendInteger(out, value); }
void appendValue(std::string& out, uint32_t value) { appendInteger(out, value); }
void appendValue(std::string& out, bool value) { out += value ? '1' : '0'; }

void appendValue(std::string& out, const std::string& value) { appendValue(out, std::string_view(value)); }
void appendValue(std::string& out, const std::wstring& value) { appendValue(out, std::string_view(sjis::encode(value))); }

void appendValue(std::string& out, std::string_view value) {
    size_t start = out.size();
    out += value;
    for (size_t i = start; i < out.size(); ++i) {
        if (out[i] == '\n') out[i] = ' ';
    }
}

}  // namespace lineformat
