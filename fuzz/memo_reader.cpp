// The data-file reader on any bytes: no crash, no undefined behaviour, only
// complete memos with a valid selected tab, memory a small multiple of the input.
#include <cstdlib>
#include "store/MemoFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view file(reinterpret_cast<const char*>(data), size);
    size_t handedBytes = 0;
    parseMemos(file, ScreenSize{1024, 768}, [&](const StoredMemo& m) {
        if (m.tabs.empty() || m.MEMO_SELECT_INDEX < 0 || size_t(m.MEMO_SELECT_INDEX) >= m.tabs.size()) std::abort();
        handedBytes += m.CAPTION.size();
        for (const MemoTab& tab : m.tabs) handedBytes += tab.text.size() + tab.title.size();
    });
    // Text lines grow by at most one byte (LF to CR LF), carried titles add at most the file's size.
    if (handedBytes > 3 * size) std::abort();
    return 0;
}
