// The one boundary of the program's text: inside it is Unicode (UTF-16 code
// units in a std::wstring, whatever the size of wchar_t), in the data file it
// is Shift-JIS (code page 932). Window-free, no file access.
//
// Writing: a character Shift-JIS holds is written as Windows writes it; the
// web's twins of Japanese symbols (U+301C, U+2014, U+2212, U+2016, U+00A2,
// U+00A3, U+00AC) as their look-alikes ～ ― － ∥ ￠ ￡ ￢; any other character
// (and a lone surrogate) as the escape "〓U+" + 4 to 6 upper-case hex digits +
// "〓", which an older reader shows and keeps as it is. A "〓" followed by
// "U+" (lone CRs between them aside) is itself written as "〓U+3013〓", so that
// no text reads as an escape.
// Reading: an escape is read only for a character the writer escapes, so
// that "〓U+0041〓" stays text. Bytes that form no character come back as
// lone surrogates U+DC81... and are written back as those bytes.
#pragma once
#include <string>
#include <string_view>

namespace sjis {

std::wstring decode(std::string_view bytes);
void appendDecoded(std::wstring& out, std::string_view bytes);
std::string encode(std::wstring_view text);
void appendEncoded(std::string& out, std::wstring_view text);

// The look-alike Shift-JIS holds for one of the web's twins above, or 0.
char16_t lookAlike(char32_t c);

// Whether Shift-JIS holds the character (a code point) as it is.
bool holds(char32_t c);

}  // namespace sjis
