// The restore dialog (template 141): the generations of the data file, newest
// first, above a read-only view of what the selected one holds. OK (after a
// question) and "追加" read the chosen generation and end the run with IDOK
// or IDC_RESTORE_ADD; the opener then replaces its memos with
// `chosenMemos()` or adds them. A generation that cannot be read is told
// here, and the dialog stays open.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include "store/DataFile.h"
#include "win/Dialog.h"

class CRestoreDlg : public win::Dialog {
public:
    // `keepCurrent`, called before a replace, keeps the memos as they are;
    // false when it could not, and then nothing is replaced.
    CRestoreDlg(const DataFile& dataFile, std::function<bool()> keepCurrent);
    BOOL OnInitDialog() override;
    void OnOK() override;  // replace, after the question

    // The memos of the chosen generation, as read when the choice was made.
    const std::vector<StoredMemo>& chosenMemos() const { return chosen_; }

protected:
    const win::MessageTable* messageTable() const override;

private:
    void OnAdd();
    void OnSelChange();
    LRESULT OnTimer(WPARAM, LPARAM);

    // Reads generation `i` once, for its list line and its preview.
    void describe(size_t i, unsigned patienceMs);
    // Reads the selected generation and ends the run with `result`.
    void choose(INT_PTR result);
    int selected() const;

    const DataFile& dataFile_;
    std::function<bool()> keepCurrent_;
    std::vector<generations::Generation> generations_;
    std::vector<std::optional<std::wstring>> previews_;  // in list order; none until read
    std::vector<StoredMemo> chosen_;
};
