// The resident window's part of a restore: the choice of the restore dialog
// acted on against the memos as they are at that moment.
#include "tray/TrayWnd.h"

// Typing in progress is committed and saved first, as at "終了(&X)", and the
// file as it then stands is kept as a generation: a replace can itself be
// undone, and goes ahead only when that copy exists.
bool CTrayWnd::keepCurrentState() {
    commitAllEdits();
    if (!saveMemos()) return false;
    const generations::KeepResult kept = dataFile_.keepNow();
    return kept == generations::KeepResult::Made || kept == generations::KeepResult::AlreadyKept;
}

// Added memos join the open ones: one that would cover another's corner
// cascades, so that the user sees what was added.
void CTrayWnd::restoreMemos(const std::vector<StoredMemo>& memos, bool replace) {
    if (replace) teardownMemos();
    showStoredMemos([&] {
        for (const StoredMemo& memo : memos) createMemoFromData(memo, !replace);
    });
    saveTellingFailure(false);
    memosChanged();
}
