// The version dialog, run modally in this process, whose program file carries
// the program's own version block.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <string>
#include "TestSupport.h"
#include "dialogs/VersionDlg.h"
#include "res/resource.h"

using namespace testing_support;

namespace {

POINT screenPoint(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return p;
}

TEST(VersionDlg, ShowsIconNameVersionAndCopyrightOfTheBlock) {
    HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
    CVersionDlg dialog;
    EXPECT_TRUE(actOnDialog([&] { dialog.doModal(); },
                            [&](HWND d) {
                                EXPECT_EQ(itemText(d, IDC_VERSION_NAME), "クイルパッド ver 2.7.1");
                                EXPECT_EQ(itemText(d, IDC_VERSION_COPYRIGHT), QUILLPAD_COPYRIGHT);
                                for (WPARAM size : {ICON_BIG, ICON_SMALL}) {
                                    EXPECT_EQ(SendMessageA(d, WM_GETICON, size, 0), reinterpret_cast<LRESULT>(appIcon));
                                }
                                EXPECT_EQ(SendMessageA(d, WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(appIcon));
                                PostMessageA(d, WM_COMMAND, IDOK, 0);
                            }));
}

TEST(VersionDlg, OkAndEnterCloseIt) {
    struct Case {
        const char* name;
        std::function<void(HWND)> close;
        INT_PTR result;
    } cases[] = {
        {"OK button", [](HWND d) { dragMouse(screenPoint(GetDlgItem(d, IDOK), 5, 5), screenPoint(GetDlgItem(d, IDOK), 5, 5)); },
         IDOK},
        {"Enter", [](HWND) { typeKey(VK_RETURN); }, IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVersionDlg dialog;
        INT_PTR result = 0;
        EXPECT_TRUE(actOnDialog([&] { result = dialog.doModal(); }, c.close));
        EXPECT_EQ(result, c.result);
    }
}

// A press anywhere but on the OK button, the statics included, drags the
// whole dialog.
TEST(VersionDlg, PressOnTheBodyDragsTheDialog) {
    struct Case {
        const char* name;
        int control;  // pressed at its centre; 0: the dialog's own surface
    } cases[] = {
        {"surface", 0},
        {"icon", IDC_STATIC},
        {"name and version", IDC_VERSION_NAME},
        {"copyright line", IDC_VERSION_COPYRIGHT},
    };
    CVersionDlg dialog;
    EXPECT_TRUE(actOnDialog([&] { dialog.doModal(); },
                            [&](HWND d) {
                                for (const Case& c : cases) {
                                    SCOPED_TRACE(c.name);
                                    HWND pressed = c.control ? GetDlgItem(d, c.control) : d;
                                    ASSERT_NE(pressed, nullptr);
                                    POINT from = screenPoint(pressed, 3, 3);
                                    RECT before, after;
                                    GetWindowRect(d, &before);
                                    dragMouse(from, {from.x + 60, from.y + 40});
                                    GetWindowRect(d, &after);
                                    EXPECT_EQ(after.left - before.left, 60);
                                    EXPECT_EQ(after.top - before.top, 40);
                                }
                                PostMessageA(d, WM_COMMAND, IDOK, 0);
                            }));
}

// A line wider than its template static (the name and version) gets a static
// as wide as its text, inside the dialog; one that fits keeps its place.
TEST(VersionDlg, EachLineShowsWhole) {
    struct Case {
        const char* name;
        int control;
        RECT units;  // the template's place
        bool fits;
    } cases[] = {
        {"name and version", IDC_VERSION_NAME, {35, 20, 95, 30}, false},
        {"copyright line", IDC_VERSION_COPYRIGHT, {0, 35, 95, 45}, true},
    };
    CVersionDlg dialog;
    EXPECT_TRUE(actOnDialog([&] { dialog.doModal(); },
                            [&](HWND d) {
                                RECT client;
                                GetClientRect(d, &client);
                                for (const Case& c : cases) {
                                    SCOPED_TRACE(c.name);
                                    HWND line = GetDlgItem(d, c.control);
                                    std::string text = itemText(d, c.control);
                                    HDC dc = GetDC(line);
                                    SelectObject(dc, (HGDIOBJ)SendMessageA(line, WM_GETFONT, 0, 0));
                                    SIZE size;
                                    GetTextExtentPoint32A(dc, text.data(), (int)text.size(), &size);
                                    ReleaseDC(line, dc);
                                    RECT templ = c.units, shown;
                                    MapDialogRect(d, &templ);
                                    GetWindowRect(line, &shown);
                                    MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&shown), 2);
                                    EXPECT_EQ(size.cx <= templ.right - templ.left, c.fits);
                                    EXPECT_EQ(shown.left, templ.left);
                                    EXPECT_EQ(shown.top, templ.top);
                                    EXPECT_EQ(shown.right - shown.left, c.fits ? templ.right - templ.left : size.cx);
                                    EXPECT_LE(shown.right, client.right);
                                }
                                PostMessageA(d, WM_COMMAND, IDOK, 0);
                            }));
}

}  // namespace
