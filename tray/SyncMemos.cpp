// The resident window's part when PCs share the data file through a sync
// engine: the folder is watched, and what another PC wrote is merged memo by
// memo into the open memos by the rules of store/MemoSync.h, without a question.
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
    const bool fileDone = syncMemos(false);
    folderChanged_ = !(mergeConflictCopies() && fileDone);
}

// A copy is merged as another PC's file; it then goes into the backup folder,
// where the restore list shows it.
bool CTrayWnd::mergeConflictCopies() {
    bool done = true;
    for (const DataFile::ConflictCopy& copy : dataFile_.conflictCopies()) {
        std::optional<SyncFile> theirs = readSyncFile(copy.bytes, screenSize());
        if (!theirs) {
            done = false;  // still being written
            continue;
        }
        theirs->isCopy = true;
        // Kept where it is until its merge has reached the file.
        if (syncMemos(true, false, &*theirs)) dataFile_.moveToBackup(copy);
        else done = false;
    }
    return done;
}

bool CTrayWnd::syncMemos(bool userChange, bool causedByDelete, const SyncFile* copy, int again) {
    if (loading_) return false;
    // An engine may still be writing the file: a watch takes it once it has
    // stood still for a look; a save takes it when it is whole.
    std::optional<DataFile::Version> other = dataFile_.otherVersion(!userChange && !copy);
    // A copy waits for the file itself: its save would replace a version not merged yet.
    if (copy && other) return false;
    std::optional<SyncFile> theirs;
    if (other) theirs = readSyncFile(other->bytes, screenSize());
    // A file without memos (emptied by a program, a placeholder of a cloud
    // folder) is no version to take: the save keeps it in the backup folder.
    if (theirs && theirs->memos.empty() && theirs->tombstones.empty()) theirs.reset();
    if (!userChange && !theirs && !sync_.behind()) return !other;
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetCurrentThreadId(), &thread);
    std::vector<size_t> slots;
    std::vector<StoredMemo> ours;
    std::vector<std::string> pinned;
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
            pinned.push_back(memo->memoId());
        }
    }
    const MemoSync::Plan plan = sync_.merge(ours, pinned, copy ? copy : theirs ? &*theirs : nullptr, fileio::localNow());
    if (plan.keepFirst) dataFile_.keepBytes(formatMemos(ours));
    applyPlan(plan, slots);
    if (theirs) dataFile_.adopt(*other);
    if (!plan.copies.empty()) tellBothChanged(plan.copies);
    // A version that an engine put down while this one was merged is merged
    // too before the write would replace it.
    const int MERGES_BEFORE_A_WRITE = 3;
    if (plan.write && !copy && again < MERGES_BEFORE_A_WRITE && dataFile_.otherVersion()) {
        return syncMemos(true, causedByDelete, nullptr, again + 1);
    }
    const bool saved = !plan.write || writeMemoFile(causedByDelete);
    if (plan.behind) folderChanged_ = true;  // once the memo can change, the next look renews it
    return saved;
}

// Memos that the merge changes are made anew in their slots; their old
// windows go. The user's window and the key focus stay where they were.
void CTrayWnd::applyPlan(const MemoSync::Plan& plan, const std::vector<size_t>& slots) {
    for (size_t o = 0; o < slots.size(); ++o) {
        if (!plan.renew[o] && plan.place[o] >= 0) memoWindows_[slots[o]]->setMemoVersion(plan.memos[plan.place[o]].MEMO_VERSION);
    }
    if (plan.added.empty() && std::none_of(plan.renew.begin(), plan.renew.end(), [](bool b) { return b; })) return;
    const HWND front = GetForegroundWindow(), focus = GetFocus();
    showStoredMemos([&] {
        for (size_t o = 0; o < slots.size(); ++o) {
            if (!plan.renew[o]) continue;
            if (plan.place[o] < 0) {
                memoWindows_[slots[o]].reset();
                continue;
            }
            createMemoFromData(plan.memos[plan.place[o]]);
            std::swap(memoWindows_[slots[o]], memoWindows_.back());
            memoWindows_.pop_back();
        }
        for (size_t place : plan.added) createMemoFromData(plan.memos[place]);
    });
    if (front && IsWindow(front) && GetForegroundWindow() != front) SetForegroundWindow(front);
    if (focus && IsWindow(focus) && GetFocus() != focus) SetFocus(focus);
    memosChanged();
}

ScreenSize CTrayWnd::screenSize() const {
    return ScreenSize{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::vector<StoredMemo> CTrayWnd::parsedMemos(const std::string& bytes) const {
    std::vector<StoredMemo> memos;
    parseMemos(bytes, screenSize(), [&](const StoredMemo& memo) { memos.push_back(memo); });
    return memos;
}

// Both versions are on the screen already.
void CTrayWnd::tellBothChanged(const std::vector<std::wstring>& captions) {
    std::wstring text = texts::BOTH_CHANGED;
    for (const std::wstring& caption : captions) text += L"「" + caption + L"」";
    showBalloon(texts::BOTH_CHANGED_TITLE, text);
}
