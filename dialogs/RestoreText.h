// What the restore dialog shows of a generation, as plain text.
#pragma once
#include <cstddef>
#include <string>
#include <vector>
#include "store/LocalTime.h"
#include "store/MemoFile.h"

// Captions a list line names at most.
constexpr size_t LINE_CAPTIONS = 3;
// Lines of a tab's text the preview shows at most.
constexpr size_t PREVIEW_LINES = 3;
// Memos the preview shows at most: the list line counts them all, and an edit
// control takes seconds to lay out the preview of thousands.
constexpr size_t PREVIEW_MEMOS = 100;

// "2026/12/08 10:33:56"
std::string generationTime(const LocalTime& t);

// The start of a generation's list line: its time, and "救出" after the time
// of a rescue file.
std::wstring generationTitle(const LocalTime& t, bool rescue);

// The list line of a generation: its title, the number of memos and the
// first captions, "…" when there are more.
std::wstring generationLine(const LocalTime& t, const std::vector<StoredMemo>& memos, bool rescue = false);

// What the generation holds, for a read-only multi-line edit (CR LF): each
// memo's caption, then the first lines of each tab's text that are not empty,
// "…" standing for the rest; after PREVIEW_MEMOS memos, "…" for the others.
std::wstring generationPreview(const std::vector<StoredMemo>& memos);
