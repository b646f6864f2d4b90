#include "dialogs/RestoreText.h"
#include <cstdio>
#include <string_view>

namespace {

const wchar_t* const MORE = L"…";
const wchar_t* const INDENT = L"    ";

}  // namespace

std::string generationTime(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::wstring generationTitle(const LocalTime& t, bool rescue) {
    const std::string time = generationTime(t);  // digits only
    return std::wstring(time.begin(), time.end()) + (rescue ? L"  救出" : L"");
}

std::wstring generationLine(const LocalTime& t, const std::vector<StoredMemo>& memos, bool rescue) {
    std::wstring line = generationTitle(t, rescue) + L"  メモ " + std::to_wstring(memos.size()) + L" 件";
    for (size_t i = 0; i < memos.size() && i <= LINE_CAPTIONS; ++i) {
        line += i == 0 ? L"  " : L"、";
        line += i < LINE_CAPTIONS ? memos[i].CAPTION : MORE;
    }
    return line;
}

std::wstring generationPreview(const std::vector<StoredMemo>& memos) {
    std::wstring preview;
    for (size_t i = 0; i < memos.size(); ++i) {
        const StoredMemo& memo = memos[i];
        if (!preview.empty()) preview += L"\r\n";
        if (i == PREVIEW_MEMOS) {
            preview += std::wstring(MORE) + L"\r\n";
            break;
        }
        preview += L"■ " + memo.CAPTION + L"\r\n";
        for (const MemoTab& tab : memo.tabs) {
            std::wstring_view rest = tab.text;
            size_t shown = 0;
            while (!rest.empty()) {
                const size_t end = rest.find(L"\r\n");
                const std::wstring_view line = rest.substr(0, end);
                rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 2);
                if (line.empty()) continue;
                if (shown == PREVIEW_LINES) {
                    preview += std::wstring(INDENT) + MORE + L"\r\n";
                    break;
                }
                preview += std::wstring(INDENT).append(line) + L"\r\n";
                ++shown;
            }
        }
    }
    return preview;
}
