// The restore dialog (template 141): the generations of the data file, newest
// first, above a read-only view of what the selected one holds. OK (after a
// question) and "追加" read the chosen generation and end the run with IDOK
// or IDC_RESTORE_ADD; the opener then replaces its memos with
// `chosenMemos()` or adds them. A generation that cannot be read is told
// here, and the dialog stays open.
#pragma once
#include <string>
#include <vector>
#include "store/Generations.h"
#include "store/MemoFile.h"
#include "win/Dialog.h"

class CRestoreDlg : public win::Dialog {
public:
    explicit CRestoreDlg(const char* dataFile);
    BOOL OnInitDialog() override;
    void OnOK() override;  // replace, after the question

    // The memos of the chosen generation, as read when the choice was made.
    const std::vector<StoredMemo>& chosenMemos() const { return chosen_; }

protected:
    const win::MessageTable* messageTable() const override;

private:
    void OnAdd();
    void OnSelChange();

    // Reads the selected generation and ends the run with `result`.
    void choose(INT_PTR result);
    int selected() const;

    std::string dataFile_;
    std::vector<generations::Generation> generations_;
    std::vector<std::string> previews_;  // one for each generation, in list order
    std::vector<StoredMemo> chosen_;
};
