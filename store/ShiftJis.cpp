#include "store/ShiftJis.h"
#include <array>
#include <cstdint>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace sjis {

namespace {

const char16_t* const ROWS[] = {
#include "store/ShiftJisTable.inc"
};
constexpr int TRAILS = 0xFD - 0x40;
constexpr char16_t NONE = 0xFFFD;
constexpr char16_t GETA = 0x3013;  // "〓", the escape's mark
constexpr uint8_t GETA_LEAD = 0x81;  // the first byte of "〓" and so of every escape

bool isLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The character of a lead and a trail byte, or NONE.
char16_t pairChar(uint8_t lead, uint8_t trail) {
    if (trail < 0x40 || trail > 0xFC || trail == 0x7F) return NONE;
    if (lead >= 0xF0 && lead <= 0xF9) return char16_t(0xE000 + (lead - 0xF0) * 188 + (trail - 0x40) - (trail > 0x7F));
    const int row = lead <= 0x9F ? lead - 0x81 : lead <= 0xEF ? lead - 0xE0 + 31 : lead - 0xFA + 47;
    return ROWS[row][trail - 0x40];
}

// The single bytes that are no ASCII: half-width katakana, and the five
// others as Windows reads them.
char16_t byteChar(uint8_t b) {
    if (b < 0x80) return b;
    if (b >= 0xA1 && b <= 0xDF) return char16_t(0xFF61 + b - 0xA1);
    if (b == 0x80) return 0x80;
    if (b == 0xA0) return 0xF8F0;
    if (b >= 0xFD) return char16_t(0xF8F1 + b - 0xFD);
    return NONE;
}

// pairChar of every lead and trail byte, at lead << 8 | trail: one look-up
// for each character of a file being read.
const std::vector<char16_t>& pairChars() {
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> t(65536, NONE);
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLead(uint8_t(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) t[lead << 8 | trail] = pairChar(uint8_t(lead), uint8_t(trail));
        }
        return t;
    }();
    return table;
}

// The bytes of each character of the Basic Multilingual Plane (0: none),
// one byte in the low half, two as lead << 8 | trail. Where several pairs
// mean one character, the first in code order is written, except that the
// rows 0xED and 0xEE lose to the same characters in 0xFA to 0xFC, as Windows
// writes them.
const std::vector<uint16_t>& encodings() {
    static const std::vector<uint16_t> table = [] {
        std::vector<uint16_t> t(65536, 0);
        for (int b = 0xFF; b >= 0; --b) {
            if (byteChar(uint8_t(b)) != NONE) t[byteChar(uint8_t(b))] = uint16_t(b);
        }
        t[0] = 0;
        auto fill = [&](int from, int to) {
            for (int lead = from; lead <= to; ++lead) {
                for (int trail = 0x40; trail <= 0xFC; ++trail) {
                    const char16_t c = pairChar(uint8_t(lead), uint8_t(trail));
                    if (c != NONE && !t[c]) t[c] = uint16_t(lead << 8 | trail);
                }
            }
        };
        fill(0x81, 0x9F);
        fill(0xE0, 0xEC);
        fill(0xEF, 0xFC);
        fill(0xED, 0xEE);
        return t;
    }();
    return table;
}

int hexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// "〓U+" opens an escape. The reader takes one wherever a code it escapes and
// a closing "〓" follow; the writer escapes every "〓" that stands before
// "U+" in the file, whatever follows, so that the reader meets no other.
constexpr std::wstring_view ESCAPE_OPEN = L"\u3013U+";

// Whether the file's text opens an escape at the start of `text`. The lone CRs
// the data file drops are skipped, so that "〓\rU+" is judged as it is read.
bool opensEscape(std::wstring_view text) {
    size_t matched = 0;
    for (const wchar_t c : text) {
        if (c == L'\r') continue;
        if (c != ESCAPE_OPEN[matched]) return false;
        if (++matched == ESCAPE_OPEN.size()) return true;
    }
    return false;
}

// The escape at the start of `text`: its character and its length, or length 0.
struct Escape {
    char32_t c = 0;
    size_t length = 0;
};
Escape escapeAt(std::wstring_view text) {
    if (text.size() < 8 || text.substr(0, ESCAPE_OPEN.size()) != ESCAPE_OPEN) return {};
    char32_t value = 0;
    size_t i = 3;
    for (; i < text.size() && i < 9 && hexValue(text[i]) >= 0; ++i) value = value * 16 + char32_t(hexValue(text[i]));
    const size_t digits = i - 3;
    if (digits < 4 || i >= text.size() || text[i] != GETA) return {};
    if (digits > 4 && text[3] == L'0') return {};  // one spelling for each character
    if (value > 0x10FFFF || (holds(value) && value != GETA)) return {};
    return {value, i + 1};
}

void appendEscape(std::string& out, char32_t c) {
    static const char HEX[] = "0123456789ABCDEF";
    out += "\x81\xAC" "U+";
    int digits = c > 0xFFFFF ? 6 : c > 0xFFFF ? 5 : 4;
    for (int d = digits - 1; d >= 0; --d) out += HEX[(c >> (4 * d)) & 0xF];
    out += "\x81\xAC";
}

// A byte of no character read from the file (a lead without its trail).
bool isKeptByte(char32_t c) { return c >= 0xDC81 && c <= 0xDCFC && isLead(uint8_t(c)); }

// The character written for text[i]: a surrogate pair as one (i then on its
// second unit), one of the web's twins as its look-alike.
char32_t charAt(std::wstring_view text, size_t& i) {
    char32_t c = char32_t(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && (text[i + 1] & 0xFC00) == 0xDC00) {
        c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[++i]) & 0x3FF);
    }
    if (const char16_t look = lookAlike(c)) c = look;
    return c;
}

// The first byte written for a character that is no kept byte.
uint8_t firstByte(char32_t c) {
    const uint16_t code = c <= 0xFFFF ? encodings()[c] : 0;
    return code > 0xFF ? uint8_t(code >> 8) : code || c == 0 ? uint8_t(code) : GETA_LEAD;
}

// Whether each kept byte of the run at the start of `text` goes back as it
// was, the first at the back. One does unless the byte written after it
// would now make a character of it, and a kept byte after it writes its own
// byte if it goes back as it was, else its escape: so the run is judged from
// its end. The data file drops lone CRs, so what follows them counts.
std::vector<bool> keptAsRead(std::wstring_view text) {
    size_t end = 0;
    while (end < text.size() && (text[end] == L'\r' || isKeptByte(char32_t(text[end])))) ++end;
    size_t after = end;  // charAt moves it on over a surrogate pair
    // The first byte written after the kept byte at hand, or none.
    int next = after < text.size() ? firstByte(charAt(text, after)) : -1;
    std::vector<bool> asRead;
    for (size_t i = end; i-- > 0;) {
        if (text[i] == L'\r') continue;
        const uint8_t b = uint8_t(text[i]);
        asRead.push_back(next < 0 || pairChar(b, uint8_t(next)) == NONE);
        next = asRead.back() ? b : GETA_LEAD;
    }
    return asRead;
}

void appendUnit(std::wstring& out, char32_t c) {
    if (c > 0xFFFF) {
        out += wchar_t(0xD800 + ((c - 0x10000) >> 10));
        out += wchar_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        out += wchar_t(c);
    }
}

// Copies the ASCII bytes from p on as units, moving both pointers past them.
// With SSE2, sixteen bytes are widened and stored at a time and the pointers
// move past the ASCII ones among them: an English word between Japanese ones
// costs one step instead of a branch for each letter. The room at w holds a
// unit for each byte left, so the units stored beyond the run fit.
void copyAscii(const uint8_t*& p, const uint8_t* end, wchar_t*& w) {
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i low = _mm_unpacklo_epi8(bytes, zero), high = _mm_unpackhi_epi8(bytes, zero);
        auto* out = reinterpret_cast<__m128i*>(w);
        if constexpr (sizeof(wchar_t) == 2) {
            _mm_storeu_si128(out, low);
            _mm_storeu_si128(out + 1, high);
        } else {
            _mm_storeu_si128(out, _mm_unpacklo_epi16(low, zero));
            _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(low, zero));
            _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(high, zero));
            _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(high, zero));
        }
        const unsigned nonAscii = unsigned(_mm_movemask_epi8(bytes));
        const int ascii = nonAscii ? __builtin_ctz(nonAscii) : 16;
        p += ascii;
        w += ascii;
        if (ascii < 16) return;
    }
#endif
    for (; p != end && *p < 0x80; ++p) *w++ = wchar_t(*p);
}

}  // namespace

// The web's spelling of a Japanese symbol, and the look-alike Windows text uses.
char16_t lookAlike(char32_t c) {
    switch (c) {
    case 0x301C: return 0xFF5E;  // 〜 ～
    case 0x2014: return 0x2015;  // — ―
    case 0x2212: return 0xFF0D;  // − －
    case 0x2016: return 0x2225;  // ‖ ∥
    case 0x00A2: return 0xFFE0;  // ¢ ￠
    case 0x00A3: return 0xFFE1;  // £ ￡
    case 0x00AC: return 0xFFE2;  // ¬ ￢
    default: return 0;
    }
}

bool holds(char32_t c) { return c <= 0xFFFF && (c == 0 || encodings()[c] != 0); }

void appendDecoded(std::wstring& out, std::string_view bytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const uint8_t* const end = p + bytes.size();
    const size_t first = out.size();
    // Written through a pointer into room for the most units the bytes can
    // make (one each), then cut to those made: a load decodes every byte of
    // the file, and appending unit by unit was most of its time.
    out.resize(first + bytes.size());
    wchar_t* w = &out[first];
    const char16_t* const pairs = pairChars().data();
    bool geta = false;  // an escape may be in the text
    // Runs of ASCII and runs of other bytes each in a loop of its own: text
    // that mixes Japanese and ASCII words mispredicts once at each change.
    while (p != end) {
        copyAscii(p, end, w);
        while (p != end && *p >= 0x80) {
            const uint8_t b = *p;
            const char16_t c = p + 1 != end ? pairs[b << 8 | p[1]] : NONE;
            if (c != NONE) {
                geta |= c == GETA;
                *w++ = wchar_t(c);
                p += 2;
            } else {
                // A byte of no character (a lead without its trail) is kept as a lone surrogate.
                *w++ = wchar_t(isLead(b) ? 0xDC00 | b : byteChar(b));
                ++p;
            }
        }
    }
    out.resize(size_t(w - out.data()));
    if (!geta) return;
    std::wstring text = out.substr(first);
    out.resize(first);
    for (size_t i = 0; i < text.size();) {
        const Escape e = escapeAt(std::wstring_view(text).substr(i));
        if (e.length) {
            appendUnit(out, e.c);
            i += e.length;
        } else {
            out += text[i++];
        }
    }
}

std::wstring decode(std::string_view bytes) {
    std::wstring out;
    appendDecoded(out, bytes);
    return out;
}

void appendEncoded(std::string& out, std::wstring_view text) {
    const std::vector<uint16_t>& table = encodings();
    std::vector<bool> asRead;  // of the kept bytes still ahead in their run, the next at the back
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = charAt(text, i);
        const uint16_t code = c <= 0xFFFF ? table[c] : 0;  // a wider wchar_t holds code points too
        if (isKeptByte(c)) {
            if (asRead.empty()) asRead = keptAsRead(text.substr(i));
            const bool raw = asRead.back();
            asRead.pop_back();
            if (raw) {
                out += char(c & 0xFF);
                continue;
            }
        }
        if (c == 0) {
            out += '\0';
        } else if (c == GETA && opensEscape(text.substr(i))) {
            appendEscape(out, c);
        } else if (code > 0xFF) {
            out += char(code >> 8);
            out += char(code & 0xFF);
        } else if (code) {
            out += char(code);
        } else {
            appendEscape(out, c);
        }
    }
}

std::string encode(std::wstring_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    appendEncoded(out, text);
    return out;
}

}  // namespace sjis
