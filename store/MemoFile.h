// The memo data file "Quillpad.dat": reading and writing its line format.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include "store/Settings.h"

// One page of a memo. `text` holds its line breaks as CR LF pairs.
struct MemoTab {
    std::string text;
    std::string title;
    bool operator==(const MemoTab& o) const { return text == o.text && title == o.title; }
};

// Everything the data file holds of one memo.
struct StoredMemo {
    std::vector<MemoTab> tabs;
    std::string CAPTION;
    int32_t RECT_LEFT = 0, RECT_TOP = 0, RECT_RIGHT = 0, RECT_BOTTOM = 0;
    MemoColors colors;
    bool NOT_SHOW_TAB_FLAG = false;
    bool WORDWRAP_FLAG = false;
    bool COMPACT_FLAG = false;
    bool NON_MOVE_FLAG = false;
    int32_t MEMO_SELECT_INDEX = 0;
};

extern const char* const MEMO_FILE_NAME;  // "Quillpad.dat"

// Size of the primary screen; the first memo of a file that lacks a RECT line
// gets that edge of a new memo (300 x 150 centred on this screen).
struct ScreenSize {
    int cx = 1024;
    int cy = 768;
};

using MemoSink = std::function<void(const StoredMemo&)>;

// Parses the file's bytes and hands each completed memo on in file order.
void parseMemos(std::string_view data, ScreenSize screen, const MemoSink& sink);

// The file's bytes for these memos (memos without tabs are left out).
std::string formatMemos(const std::vector<StoredMemo>& memos);

enum class LoadResult { Loaded, Missing, Unreadable };

// Reads `fileName` whole (retrying briefly while another program holds it)
// and parses it. Missing: no file. Unreadable: it exists but could not be read.
LoadResult loadMemoFile(const char* fileName, ScreenSize screen, const MemoSink& sink);

// Replaces `fileName` with these memos in one step; false leaves the old file as it was.
bool saveMemoFile(const char* fileName, const std::vector<StoredMemo>& memos);
