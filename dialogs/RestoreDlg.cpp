#include "dialogs/RestoreDlg.h"
#include "dialogs/RestoreText.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "win/MessageBox.h"

namespace {

ScreenSize primaryScreen() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

LoadResult readGeneration(const std::string& path, std::vector<StoredMemo>& memos) {
    memos.clear();
    return loadMemoFile(path.c_str(), primaryScreen(), [&](const StoredMemo& memo) { memos.push_back(memo); });
}

}  // namespace

CRestoreDlg::CRestoreDlg(const char* dataFile) : win::Dialog(IDD_RESTORE), dataFile_(dataFile) {}

const win::MessageTable* CRestoreDlg::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onCommand(IDC_RESTORE_ADD, &CRestoreDlg::OnAdd),
        win::onControl(IDC_RESTORE_LIST, LBN_SELCHANGE, &CRestoreDlg::OnSelChange),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

BOOL CRestoreDlg::OnInitDialog() {
    HWND list = item(IDC_RESTORE_LIST);
    generations_ = generations::listGenerations(dataFile_.c_str());
    for (const generations::Generation& g : generations_) {
        std::vector<StoredMemo> memos;
        std::string line;
        if (readGeneration(g.path, memos) == LoadResult::Loaded) {
            line = generationLine(g.time, memos);
            previews_.push_back(generationPreview(memos));
        } else {
            line = generationTime(g.time) + "  " + texts::CANNOT_READ;
            previews_.emplace_back();
        }
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    if (generations_.empty()) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts::NO_GENERATIONS));
        EnableWindow(item(IDOK), FALSE);
        EnableWindow(item(IDC_RESTORE_ADD), FALSE);
        return TRUE;
    }
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    OnSelChange();
    return TRUE;
}

int CRestoreDlg::selected() const {
    LRESULT i = SendMessageA(item(IDC_RESTORE_LIST), LB_GETCURSEL, 0, 0);
    return i >= 0 && i < static_cast<LRESULT>(generations_.size()) ? static_cast<int>(i) : -1;
}

void CRestoreDlg::OnSelChange() {
    int i = selected();
    SetDlgItemTextA(hwnd(), IDC_RESTORE_PREVIEW, i < 0 ? "" : previews_[i].c_str());
}

void CRestoreDlg::OnOK() {
    if (selected() < 0) return;
    if (!win::askYesNo(texts::RESTORE_QUESTION, hwnd()) || !hwnd()) return;
    choose(IDOK);
}

void CRestoreDlg::OnAdd() { choose(IDC_RESTORE_ADD); }

// Read at the moment of the choice: the generation may have changed or gone
// since the list was made, and the opener acts on what was read here.
void CRestoreDlg::choose(INT_PTR result) {
    int i = selected();
    if (i < 0) return;
    if (readGeneration(generations_[i].path, chosen_) != LoadResult::Loaded) {
        chosen_.clear();
        win::showWarning(texts::CANNOT_READ, hwnd());
        return;
    }
    endDialog(result);
}
