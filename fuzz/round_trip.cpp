// Memos built from any text are written, read back and written again: every
// memo with tabs comes back with all its tabs, texts change only as the
// writer's rules say (the web's twins become their look-alikes; any other
// character comes back, escaped or not), and after one pass the file no
// longer changes.
#include <fuzzer/FuzzedDataProvider.h>
#include <algorithm>
#include <cstdlib>
#include "store/MemoFile.h"
#include "store/ShiftJis.h"

namespace {

// The text as the writer stores it and the reader gives it back: CRs dropped,
// a line end added unless it ended in LF, every line end CR LF.
std::wstring withoutTwins(std::wstring text) {
    const std::wstring twins = L"\u301C\u2014\u2212\u2016\u00A2\u00A3\u00AC", looks = L"\uFF5E\u2015\uFF0D\u2225\uFFE0\uFFE1\uFFE2";
    for (wchar_t& c : text) {
        const size_t i = twins.find(c);
        if (i != std::wstring::npos) c = looks[i];
    }
    return text;
}

std::wstring storedText(std::wstring text) {
    const bool endsInLf = !text.empty() && text.back() == '\n';  // judged before the CRs go
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    if (!endsInLf) text += '\n';
    std::wstring out;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        out += text.substr(start, end - start) + L"\r\n";
        start = end + 1;
    }
    return withoutTwins(out);
}

std::wstring singleLine(std::wstring text) {
    std::replace(text.begin(), text.end(), L'\n', L' ');
    return withoutTwins(text);
}

// UTF-16 code units: often one of the characters the escape and the line
// rules turn on, else any unit.
std::wstring someText(FuzzedDataProvider& in, size_t most) {
    static const char16_t SPECIAL[] = u"\u3013U+0E9D\r\n[]_ -\u301C\u00A2\u2014\xD83D\xDE00\xDC81\xDCE0\u30BD\u8868\\\uFF76\uFF9E\u00E9";
    std::wstring text;
    const size_t length = in.ConsumeIntegralInRange<size_t>(0, most);
    while (text.size() < length && in.remaining_bytes() > 0) {
        const uint8_t pick = in.ConsumeIntegral<uint8_t>();
        if (pick < 2 * (sizeof SPECIAL / 2 - 1)) {
            text += wchar_t(SPECIAL[pick / 2]);
        } else {
            text += wchar_t(in.ConsumeIntegral<uint16_t>());
        }
    }
    return text;
}

std::vector<StoredMemo> parse(const std::string& file) {
    std::vector<StoredMemo> memos;
    parseMemos(file, ScreenSize{}, [&](const StoredMemo& m) { memos.push_back(m); });
    return memos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<StoredMemo> memos(in.ConsumeIntegralInRange(0, 4));
    for (StoredMemo& m : memos) {
        m.CAPTION = someText(in, 64);
        m.RECT_LEFT = in.ConsumeIntegral<int32_t>();
        m.RECT_BOTTOM = in.ConsumeIntegral<int32_t>();
        m.appearance.colors.BACK_MEMO_COLOR = in.ConsumeIntegral<uint32_t>();
        m.MEMO_SELECT_INDEX = in.ConsumeIntegralInRange(-2, 5);
        m.appearance.WORDWRAP_FLAG = in.ConsumeBool();
        m.appearance.NON_MOVE_FLAG = in.ConsumeBool();
        m.tabs.resize(in.ConsumeIntegralInRange(0, 4));
        for (MemoTab& tab : m.tabs) {
            tab.title = someText(in, 64);
            tab.text = someText(in, 512);
        }
    }
    memos.erase(std::remove_if(memos.begin(), memos.end(), [](const StoredMemo& m) { return m.tabs.empty(); }),
                memos.end());

    const std::string file = formatMemos(memos);
    const std::vector<StoredMemo> back = parse(file);
    if (back.size() != memos.size()) std::abort();
    for (size_t i = 0; i < memos.size(); ++i) {
        StoredMemo expected = memos[i];
        expected.CAPTION = singleLine(expected.CAPTION);
        for (MemoTab& tab : expected.tabs) tab = {storedText(tab.text), singleLine(tab.title)};
        if (size_t(expected.MEMO_SELECT_INDEX) >= expected.tabs.size()) expected.MEMO_SELECT_INDEX = 0;
        if (!(back[i] == expected)) std::abort();
    }
    const std::string again = formatMemos(back);
    if (parse(again) != back || formatMemos(parse(again)) != again) std::abort();
    return 0;
}
