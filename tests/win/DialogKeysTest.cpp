#include <gtest/gtest.h>
#include <set>
#include "TestSupport.h"
#include "dialogs/ColorSetDlg.h"
#include "dialogs/OptionDlg.h"
#include "dialogs/RestoreDlg.h"
#include "dialogs/VersionDlg.h"
#include "res/resource.h"

// Every dialog by keyboard alone: Tab visits each control (Ctrl+Tab shows the options' other page), and Enter or
// Escape on the control named ends the dialog as its buttons say.
TEST(DialogKeys, TabReachesEveryControlAndEnterOrEscapeEndsTheDialog) {
    using namespace testing_support;
    TempDir dir;
    CreateDirectoryA("backup", nullptr);
    writeFile("backup\\Quillpad-20261201-093015.dat", formatMemos({StoredMemo{{{"text", "tab"}}}}));
    DataFile file(MEMO_FILE_NAME);
    MessageBoxWatcher yes(GetCurrentProcessId(), IDYES);  // the restore's question
    const struct {
        const char* name;
        std::function<INT_PTR()> run;
        std::set<int> controls;
        int at;
    } cases[] = {
        {"version", [] { return CVersionDlg().doModal(); }, {IDOK}, IDOK},
        {"colours", [] { return CColorSetDlg().doModal(); }, {IDC_COLOR_CAPTION_TEXT, IDC_COLOR_CAPTION_BACK,
         IDC_COLOR_MEMO_TEXT, IDC_COLOR_MEMO_BACK, IDC_COLOR_RESET, IDOK, IDCANCEL}, IDOK},
        {"options", [] { return COptionDlg().doModal(); }, {IDC_OPTION_TABS, IDC_GENERAL_TAB_MODE, IDC_GENERAL_DEL_CHECK,
         IDC_GENERAL_TEXT_SELECT, IDC_GENERAL_ABSORB, IDC_GENERAL_HOTKEY_LIST, IDC_GENERAL_HOTKEY,
         IDC_MEMOPAGE_SET_COLORS, IDC_MEMOPAGE_NOT_SHOW_TAB, IDC_MEMOPAGE_WORDWRAP, IDOK, IDCANCEL}, IDC_MEMOPAGE_WORDWRAP},
        {"restore", [&] { return CRestoreDlg(file, [] { return true; }).doModal(); },
         {IDC_RESTORE_LIST, IDC_RESTORE_PREVIEW, IDOK, IDC_RESTORE_ADD, IDCANCEL}, IDC_RESTORE_PREVIEW},
    };
    for (const auto& c : cases) {
        for (WORD key : {VK_RETURN, VK_ESCAPE}) {
            SCOPED_TRACE(testing::Message() << c.name << (key == VK_RETURN ? ", Enter" : ", Escape"));
            std::set<int> reached;
            INT_PTR result = 0;
            EXPECT_TRUE(actOnDialog([&] { result = c.run(); }, [&](HWND) {
                for (int i = 0; i < 40 && !(reached == c.controls && GetDlgCtrlID(GetFocus()) == c.at); ++i) {
                    i == 15 ? typeKey(VK_TAB, {VK_CONTROL}) : typeKey(VK_TAB);
                    reached.insert(GetDlgCtrlID(GetFocus()));
                }
                typeKey(key);
            }));
            EXPECT_EQ(reached, c.controls);
            EXPECT_EQ(result, key == VK_RETURN ? IDOK : IDCANCEL);
        }
    }
}
