// The memo data file "Quillpad.dat": reading and writing its line format.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "store/FileIO.h"
#include "store/Reminder.h"
#include "store/Settings.h"

// One page of a memo. `text` holds its line breaks as CR LF pairs. Texts are
// Unicode (UTF-16 code units); the file holds Shift-JIS (store/ShiftJis.h).
struct MemoTab {
    std::wstring text;
    std::wstring title;
    bool operator==(const MemoTab& o) const { return text == o.text && title == o.title; }
};

// Everything the data file holds of one memo.
struct StoredMemo {
    std::vector<MemoTab> tabs;
    std::wstring CAPTION;
    int32_t RECT_LEFT = 0, RECT_TOP = 0, RECT_RIGHT = 0, RECT_BOTTOM = 0;
    MemoAppearance appearance;
    int32_t MEMO_SELECT_INDEX = 0;
    // The memo's identity across saves and PCs, and its versions
    // (store/MemoSync.h): both on the line "MEMO_ID-<identity> <versions>".
    // Empty in a block without that line, as files of earlier versions are.
    std::string MEMO_ID, MEMO_VERSION;
    // On the line "REMINDER-<formatReminder>", which earlier versions skip.
    std::optional<Reminder> REMINDER;
    bool operator==(const StoredMemo& o) const {
        return tabs == o.tabs && CAPTION == o.CAPTION && RECT_LEFT == o.RECT_LEFT && RECT_TOP == o.RECT_TOP &&
               RECT_RIGHT == o.RECT_RIGHT && RECT_BOTTOM == o.RECT_BOTTOM && appearance == o.appearance &&
               MEMO_SELECT_INDEX == o.MEMO_SELECT_INDEX && MEMO_ID == o.MEMO_ID && MEMO_VERSION == o.MEMO_VERSION &&
               REMINDER == o.REMINDER;
    }
};

extern const char* const MEMO_FILE_NAME;  // "Quillpad.dat"

// A new memo's size.
constexpr int NEW_MEMO_WIDTH = 300;
constexpr int NEW_MEMO_HEIGHT = 150;

// Size of the primary screen; the first memo of a file that lacks a RECT line
// gets that edge of a new memo (300 x 150 centred on this screen).
struct ScreenSize {
    int cx = 1024;
    int cy = 768;
};

using MemoSink = std::function<void(const StoredMemo&)>;

// Parses the file's bytes and hands each completed memo on in file order, as
// soon as its block is complete. A memo without tabs is skipped; a
// MEMO_SELECT_INDEX outside its tabs is handed on as 0. A block cut off by
// hand before its end keeps what it held up to the cut, and the next block
// loads whole; one that the file's end leaves open is skipped.
void parseMemos(std::string_view data, ScreenSize screen, const MemoSink& sink);

// The file's bytes for these memos (memos without tabs are left out). A tab
// text line that is one of the block lines ("[MEMO_TAB_START]", "[MEMO_START]",
// "[MEMO_END]", "[MEMO_TAB_END]") or would read back as the tab's title line
// is written with one leading blank.
std::string formatMemos(const std::vector<StoredMemo>& memos);
// Appends one memo's block as formatMemos writes it (nothing for a memo
// without tabs): the file is its memos' blocks one after another, so a block
// kept while its memo does not change can be written again as it is.
void appendMemoBlock(std::string& out, const StoredMemo& memo);

enum class LoadResult { Loaded, Missing, Unreadable };

// Reads `fileName` whole and parses it. Missing: there is no such file (no
// memos, nothing to report). Unreadable: it exists but could not be read within
// about a second (held by another program, no access, a folder of that name);
// the caller must then write nothing to it in this run. The sink is called
// after the file has been closed: saves that the sink causes must be held back
// until loading has finished, or they would replace the file with the memos
// loaded so far. A held file is waited for `patienceMs`.
LoadResult loadMemoFile(const char* fileName, ScreenSize screen, const MemoSink& sink,
                        unsigned patienceMs = fileio::HELD_FILE_PATIENCE_MS);
