// Memos built from any bytes are written, read back and written again: every
// memo with tabs comes back with all its tabs, texts change only as the
// writer's rules say, and after one pass the file no longer changes.
#include <fuzzer/FuzzedDataProvider.h>
#include <algorithm>
#include <cstdlib>
#include "store/MemoFile.h"

namespace {

// The text as the writer stores it and the reader gives it back: CRs dropped,
// a line end added unless it ended in LF, block lines and lines that would set
// the tab's title led by a blank, every line end CR LF.
std::string storedText(std::string text) {
    const bool endsInLf = !text.empty() && text.back() == '\n';  // judged before the CRs go
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    if (!endsInLf) text += '\n';
    std::string out;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        if (line == "[MEMO_TAB_START]" || line == "[MEMO_START]" || line == "[MEMO_END]" || line == "[MEMO_TAB_END]" ||
            line.rfind("MEMO_TAB_TITLE-", 0) == 0)
            out += ' ';
        out += line + "\r\n";
        start = end + 1;
    }
    return out;
}

std::string singleLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
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
        m.CAPTION = in.ConsumeRandomLengthString(64);
        m.RECT_LEFT = in.ConsumeIntegral<int32_t>();
        m.RECT_BOTTOM = in.ConsumeIntegral<int32_t>();
        m.appearance.colors.BACK_MEMO_COLOR = in.ConsumeIntegral<uint32_t>();
        m.MEMO_SELECT_INDEX = in.ConsumeIntegralInRange(-2, 5);
        m.appearance.WORDWRAP_FLAG = in.ConsumeBool();
        m.appearance.NON_MOVE_FLAG = in.ConsumeBool();
        m.tabs.resize(in.ConsumeIntegralInRange(0, 4));
        for (MemoTab& tab : m.tabs) {
            tab.title = in.ConsumeRandomLengthString(64);
            tab.text = in.ConsumeRandomLengthString(512);
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
