#include "store/MemoFile.h"
#include "store/FileIO.h"

const char* const MEMO_FILE_NAME = "Quillpad.dat";

void parseMemos(std::string_view, ScreenSize, const MemoSink&) {}
std::string formatMemos(const std::vector<StoredMemo>&) { return {}; }

LoadResult loadMemoFile(const char* fileName, ScreenSize screen, const MemoSink& sink) {
    std::string data;
    switch (fileio::readWholeFile(fileName, data)) {
    case fileio::ReadStatus::Missing: return LoadResult::Missing;
    case fileio::ReadStatus::Unreadable: return LoadResult::Unreadable;
    case fileio::ReadStatus::Ok: break;
    }
    parseMemos(data, screen, sink);
    return LoadResult::Loaded;
}

bool saveMemoFile(const char* fileName, const std::vector<StoredMemo>& memos) {
    return fileio::replaceFile(fileName, formatMemos(memos));
}
