#include "dialogs/RestoreText.h"
#include <cstdio>
#include <string_view>

namespace {

const char* const MORE = "…";
const char* const INDENT = "    ";

}  // namespace

std::string generationTime(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string generationLine(const LocalTime& t, const std::vector<StoredMemo>& memos) {
    std::string line = generationTime(t) + "  メモ " + std::to_string(memos.size()) + " 件";
    for (size_t i = 0; i < memos.size() && i <= LINE_CAPTIONS; ++i) {
        line += i == 0 ? "  " : "、";
        line += i < LINE_CAPTIONS ? memos[i].CAPTION : MORE;
    }
    return line;
}

std::string generationPreview(const std::vector<StoredMemo>& memos) {
    std::string preview;
    for (size_t i = 0; i < memos.size(); ++i) {
        const StoredMemo& memo = memos[i];
        if (!preview.empty()) preview += "\r\n";
        if (i == PREVIEW_MEMOS) {
            preview += std::string(MORE) + "\r\n";
            break;
        }
        preview += "■ " + memo.CAPTION + "\r\n";
        for (const MemoTab& tab : memo.tabs) {
            std::string_view rest = tab.text;
            size_t shown = 0;
            while (!rest.empty()) {
                const size_t end = rest.find("\r\n");
                const std::string_view line = rest.substr(0, end);
                rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
                if (line.empty()) continue;
                if (shown == PREVIEW_LINES) {
                    preview += std::string(INDENT) + MORE + "\r\n";
                    break;
                }
                preview += std::string(INDENT).append(line) + "\r\n";
                ++shown;
            }
        }
    }
    return preview;
}
