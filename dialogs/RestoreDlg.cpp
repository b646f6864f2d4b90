#include "dialogs/RestoreDlg.h"
#include "dialogs/RestoreText.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "store/ShiftJis.h"
#include "win/MessageBox.h"

namespace {

// The list opens at once with the times of the generations; their memos are
// read one a tick afterwards, behind the user's input and painting.
const UINT_PTR DESCRIBE_NEXT = 1;
const UINT DESCRIBE_EVERY_MS = 10;

ScreenSize primaryScreen() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

LoadResult readGeneration(const std::string& path, std::vector<StoredMemo>& memos,
                          unsigned patienceMs = fileio::HELD_FILE_PATIENCE_MS) {
    memos.clear();
    return loadMemoFile(
        path.c_str(), primaryScreen(), [&](const StoredMemo& memo) { memos.push_back(memo); }, patienceMs);
}

}  // namespace

CRestoreDlg::CRestoreDlg(const DataFile& dataFile, std::function<bool()> keepCurrent)
    : win::Dialog(IDD_RESTORE), dataFile_(dataFile), keepCurrent_(std::move(keepCurrent)) {}

const win::MessageTable* CRestoreDlg::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onCommand(IDC_RESTORE_ADD, &CRestoreDlg::OnAdd),
        win::onControl(IDC_RESTORE_LIST, LBN_SELCHANGE, &CRestoreDlg::OnSelChange),
        win::onMessage(WM_TIMER, &CRestoreDlg::OnTimer),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

BOOL CRestoreDlg::OnInitDialog() {
    HWND list = item(IDC_RESTORE_LIST);
    generations_ = dataFile_.generations();
    previews_.assign(generations_.size(), std::nullopt);
    for (const generations::Generation& g : generations_) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(generationTitle(g.time, g.rescue).c_str()));
    }
    if (generations_.empty()) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts::NO_GENERATIONS));
        EnableWindow(item(IDOK), FALSE);
        EnableWindow(item(IDC_RESTORE_ADD), FALSE);
        return TRUE;
    }
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    OnSelChange();
    SetTimer(hwnd(), DESCRIBE_NEXT, DESCRIBE_EVERY_MS, nullptr);
    return TRUE;
}

// A held file is not waited for here: its line says so, and a selection reads it again.
LRESULT CRestoreDlg::OnTimer(WPARAM id, LPARAM) {
    if (id != DESCRIBE_NEXT) return 0;
    for (size_t i = 0; i < previews_.size(); ++i) {
        if (!previews_[i]) {
            describe(i, 0);
            return 0;
        }
    }
    KillTimer(hwnd(), DESCRIBE_NEXT);
    return 0;
}

void CRestoreDlg::describe(size_t i, unsigned patienceMs) {
    std::vector<StoredMemo> memos;
    HWND list = item(IDC_RESTORE_LIST);
    const LRESULT selection = SendMessageA(list, LB_GETCURSEL, 0, 0);
    SendMessageA(list, LB_DELETESTRING, i, 0);
    const generations::Generation& g = generations_[i];
    if (readGeneration(g.path, memos, patienceMs) == LoadResult::Loaded) {
        previews_[i] = generationPreview(memos);
        SendMessageW(list, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(generationLine(g.time, memos, g.rescue).c_str()));
    } else {
        previews_[i] = std::wstring();
        const std::wstring line = generationTitle(g.time, g.rescue) + L"  " + sjis::decode(texts::CANNOT_READ);
        SendMessageW(list, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(line.c_str()));
    }
    if (selection == static_cast<LRESULT>(i)) SendMessageA(list, LB_SETCURSEL, i, 0);
}

int CRestoreDlg::selected() const {
    LRESULT i = SendMessageA(item(IDC_RESTORE_LIST), LB_GETCURSEL, 0, 0);
    return i >= 0 && i < static_cast<LRESULT>(generations_.size()) ? static_cast<int>(i) : -1;
}

void CRestoreDlg::OnSelChange() {
    int i = selected();
    if (i >= 0 && (!previews_[i] || previews_[i]->empty())) describe(i, fileio::HELD_FILE_PATIENCE_MS);
    setItemText(IDC_RESTORE_PREVIEW, i < 0 ? std::wstring() : *previews_[i]);
}

void CRestoreDlg::OnOK() {
    if (selected() < 0) return;
    if (!win::askYesNo(texts::RESTORE_QUESTION, hwnd()) || !hwnd()) return;
    choose(IDOK);
}

void CRestoreDlg::OnAdd() { choose(IDC_RESTORE_ADD); }

// Read at the moment of the choice: the generation may have changed or gone
// since the list was made, and the opener acts on what was read here. A
// replace then has the memos shown kept first; keeping them runs their
// handlers, and the dialog may have ended meanwhile.
void CRestoreDlg::choose(INT_PTR result) {
    int i = selected();
    if (i < 0) return;
    if (readGeneration(generations_[i].path, chosen_) != LoadResult::Loaded) {
        chosen_.clear();
        win::showWarning(texts::CANNOT_READ, hwnd());
        return;
    }
    if (result == IDOK && !keepCurrent_()) {
        chosen_.clear();
        if (hwnd()) win::showWarning(texts::CANNOT_KEEP_CURRENT, hwnd());
        return;
    }
    if (hwnd()) endDialog(result);
}
