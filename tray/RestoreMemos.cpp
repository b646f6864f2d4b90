// The resident window's part of a restore: the choice of the restore dialog
// acted on against the memos as they are at that moment.
#include "tray/TrayWnd.h"

// Replacing keeps the data file as it stands first, so that the restore can
// itself be undone; the memos end without committing an edit in progress, as
// at "全削除".
void CTrayWnd::restoreMemos(const std::vector<StoredMemo>& memos, bool replace) {
    if (replace) {
        generations_.keepNow(MEMO_FILE_NAME);
        teardownMemos();
    }
    showStoredMemos([&] {
        for (const StoredMemo& memo : memos) createMemoFromData(memo);
    });
    saveTellingFailure(false);
}
