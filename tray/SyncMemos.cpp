// The resident window's part when PCs share the data file through a sync
// engine: the folder is watched, and what another PC wrote is merged memo by
// memo into the open memos (store/MemoMerge.h), without a question.
#include <algorithm>
#include "res/Texts.h"
#include "tray/TrayWnd.h"
#include "win/Controls.h"

namespace {

const UINT WATCH_MS = 500;
// Every few seconds the file is looked at without a notice too: a network
// folder may send none.
const unsigned LOOK_EVERY_TICKS = 10;

}  // namespace

// The watch answers nothing itself: the timer looks whether it has seen a
// change, so that merges run from our own message like every other change.
void CTrayWnd::watchDataFile() {
    const std::string folder = fileio::besideFile(dataFile_.path().c_str(), ".");
    folderWatch_ = FindFirstChangeNotificationA(
        folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    folderChanged_ = true;  // conflict copies made while the program was not running
    SetTimer(hwnd(), WATCH_FOLDER_TIMER, WATCH_MS, nullptr);
}

void CTrayWnd::OnWatchTick() {
    if (folderWatch_ != INVALID_HANDLE_VALUE && WaitForSingleObject(folderWatch_, 0) == WAIT_OBJECT_0) {
        FindNextChangeNotification(folderWatch_);
        folderChanged_ = true;
    }
    if (++watchTicks_ % LOOK_EVERY_TICKS == 0) folderChanged_ = true;
    if (!folderChanged_ || loading_ || pointerHeld()) return;
    const bool fileDone = mergeOtherVersion(true);
    folderChanged_ = !(mergeConflictCopies() && fileDone);
}

bool CTrayWnd::mergeOtherVersion(bool live) {
    std::optional<std::string> theirs = dataFile_.otherVersion();
    if (!theirs) return true;
    MergeOptions options;
    options.otherName = texts::OTHER_PC;
    const std::vector<StoredMemo> theirMemos = parsedMemos(*theirs);
    // A file without memos (emptied by a program, a placeholder of a cloud
    // folder) is no version to take: the save keeps it in the backup folder.
    if (theirMemos.empty()) return true;
    const std::optional<MergeResult> merged = mergeIntoOpenMemos(theirMemos, options, live);
    if (!merged) return false;
    dataFile_.adopt(*theirs);
    syncBase_ = theirMemos;
    for (size_t i = 0; i < syncBase_.size(); ++i) {
        if (syncBase_[i].MEMO_ID.empty()) syncBase_[i].MEMO_ID = merged->theirIds[i];
    }
    giveMissingIds(syncBase_);
    // A version that only this PC holds reaches the other at once (a save
    // follows anyway when not live); a place or a look waits for the next save,
    // and a file without identities gets them.
    auto theirsHolds = [&](const StoredMemo& memo) {
        return std::any_of(theirMemos.begin(), theirMemos.end(), [&](const StoredMemo& m) {
            return m.MEMO_ID == memo.MEMO_ID && m.CAPTION == memo.CAPTION && m.tabs == memo.tabs;
        });
    };
    if (live && !std::all_of(merged->memos.begin(), merged->memos.end(), theirsHolds)) saveTellingFailure(false);
    return true;
}

// A copy is merged as another PC's file, except that what it lacks stays; it
// then goes into the backup folder, where the restore list shows it.
bool CTrayWnd::mergeConflictCopies() {
    bool done = true;
    for (const DataFile::ConflictCopy& copy : dataFile_.conflictCopies()) {
        MergeOptions options;
        options.otherName = copy.otherName.empty() ? std::wstring(texts::OTHER_PC) : win::widen(copy.otherName.c_str());
        options.theirsIsCopy = true;
        if (!mergeIntoOpenMemos(parsedMemos(copy.bytes), options, true)) {
            done = false;
            continue;
        }
        // Kept where it is until its merge has reached the file.
        if (saveMemos()) dataFile_.moveToBackup(copy.path);
    }
    return done;
}

std::optional<MergeResult> CTrayWnd::mergeIntoOpenMemos(const std::vector<StoredMemo>& theirs,
                                                                    MergeOptions options, bool live) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetCurrentThreadId(), &thread);
    std::vector<size_t> slots;
    std::vector<StoredMemo> ours;
    for (size_t i = 0; i < memoWindows_.size(); ++i) {
        const CMemoDlg* memo = memoWindows_[i].get();
        if (!isLive(memoWindows_[i])) continue;
        // As the file would hold it: a text without a final line break has one there.
        const std::vector<StoredMemo> block = parsedMemos(memoWindows_[i]->fileBlock());
        if (block.size() != 1) continue;  // being deleted
        slots.push_back(i);
        ours.push_back(block[0]);
        // A window replaced under its own handler would pull the memo from under it.
        if (memo->editMode() || memo->handlerRunning() || memo->hwnd() == thread.hwndMoveSize) {
            options.pinned.push_back(memo->memoId());
        }
    }
    options.seen = &seenStates_;
    const MergeResult result = mergeMemos(syncBase_, theirs, ours, options);
    for (size_t o : result.conflicts) {
        // The memo being edited waits until it is done: it may take the other version unasked.
        if (live && std::count(options.pinned.begin(), options.pinned.end(), ours[o].MEMO_ID)) return std::nullopt;
    }
    // A memo that the merge changes is made anew in its slot; its old window
    // goes. The user's window and the key focus stay where they were.
    const HWND front = GetForegroundWindow(), focus = GetFocus();
    showStoredMemos([&] {
        std::vector<bool> placed(result.memos.size());
        for (size_t o = 0; o < ours.size(); ++o) {
            const int place = result.ourPlace[o];
            if (place < 0) {
                memoWindows_[slots[o]].reset();
                continue;
            }
            placed[place] = true;
            if (result.memos[place] == ours[o]) continue;
            createMemoFromData(result.memos[place]);
            std::swap(memoWindows_[slots[o]], memoWindows_.back());
            memoWindows_.pop_back();
        }
        for (size_t place = 0; place < result.memos.size(); ++place) {
            if (!placed[place]) createMemoFromData(result.memos[place]);
        }
    });
    if (front && IsWindow(front) && GetForegroundWindow() != front) SetForegroundWindow(front);
    if (focus && IsWindow(focus) && GetFocus() != focus) SetFocus(focus);
    memosChanged();
    rememberStates(theirs);
    rememberStates(result.memos);
    std::vector<std::wstring> besideCaptions;
    for (size_t at : result.beside) besideCaptions.push_back(result.memos[at].CAPTION);
    if (!besideCaptions.empty()) tellBothChanged(besideCaptions);
    return result;
}

// A memo's block changes only when the memo does: only those are read back.
void CTrayWnd::rememberSaved() {
    for (const auto& slot : memoWindows_) {
        if (!isLive(slot)) continue;
        const std::string& block = slot->fileBlock();
        size_t& saved = savedBlocks_[slot->memoId()];
        const size_t hash = std::hash<std::string>()(block);
        if (hash != saved) rememberStates(parsedMemos(block));
        saved = hash;
    }
}

void CTrayWnd::rememberStates(const std::vector<StoredMemo>& memos) {
    for (const StoredMemo& memo : memos) {
        if (!memo.MEMO_ID.empty()) seenStates_.insert(memoStateHash(memo));
    }
}

std::vector<StoredMemo> CTrayWnd::parsedMemos(const std::string& bytes) const {
    std::vector<StoredMemo> memos;
    parseMemos(bytes, ScreenSize{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
               [&](const StoredMemo& memo) { memos.push_back(memo); });
    return memos;
}

// Both versions are on the screen already.
void CTrayWnd::tellBothChanged(const std::vector<std::wstring>& captions) {
    std::wstring text = texts::BOTH_CHANGED;
    for (const std::wstring& caption : captions) text += L"「" + caption + L"」";
    showBalloon(texts::BOTH_CHANGED_TITLE, text);
}
