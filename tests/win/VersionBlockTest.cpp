// The version dialog in a copy of the program's resources whose version block
// lacks what the dialog reads: the static that would show a missing string
// keeps its template text. Built once per block; VERSION_BLOCK names it.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "TestSupport.h"
#include "dialogs/VersionDlg.h"
#include "res/resource.h"

using namespace testing_support;

namespace {

struct Case {
    const char* block;
    const char* name;       // static 1003
    const char* copyright;  // static 1004
} const kCases[] = {
    {"no_translation", "ver", QUILLPAD_COPYRIGHT},
    {"no_version", "ver", "(C) 試作"},
    {"no_copyright", "試作品 ver 0.9", QUILLPAD_COPYRIGHT},
};

TEST(VersionBlock, MissingStringsKeepTheTemplateTexts) {
    const Case* c = nullptr;
    for (const Case& each : kCases) {
        if (std::string(each.block) == VERSION_BLOCK) c = &each;
    }
    ASSERT_NE(c, nullptr) << VERSION_BLOCK;
    std::string name, copyright;
    CVersionDlg dialog;
    EXPECT_TRUE(actOnDialog([&] { dialog.doModal(); },
                            [&](HWND d) {
                                name = itemText(d, IDC_VERSION_NAME);
                                copyright = itemText(d, IDC_VERSION_COPYRIGHT);
                                PostMessageA(d, WM_COMMAND, IDOK, 0);
                            }));
    EXPECT_EQ(name, c->name);
    EXPECT_EQ(copyright, c->copyright);
}

}  // namespace
