// For tests, benchmarks and the kill driver: a data file written straight
// from memos, without the program's store object (store/DataFile.h), which
// alone writes the data file in the program.
#pragma once
#include <vector>
#include "store/FileIO.h"
#include "store/MemoFile.h"

// Replaces `fileName` with these memos in one step; false leaves the old file as it was.
inline bool saveMemoFile(const char* fileName, const std::vector<StoredMemo>& memos) {
    return fileio::replaceFile(fileName, formatMemos(memos));
}
