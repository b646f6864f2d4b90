// The colour dialog run modally in this process, picking through the real
// common colour dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <colordlg.h>
#include <array>
#include <vector>
#include "TestSupport.h"
#include "dialogs/ColorSetDlg.h"
#include "res/resource.h"

using namespace testing_support;

namespace {

// What the common colour dialog was asked for, as it sees it at WM_INITDIALOG.
struct ColorRequest {
    DWORD flags;
    COLORREF initial;
    const COLORREF* customColors;
    std::array<COLORREF, 16> customAtStart;
};
std::vector<ColorRequest> requests;

LRESULT CALLBACK recordRequest(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->message == WM_INITDIALOG && GetDlgItem(msg->hwnd, COLOR_RED)) {
        // The A and W forms of the structure agree up to Flags.
        auto* request = reinterpret_cast<const CHOOSECOLORA*>(msg->lParam);
        ColorRequest seen{request->Flags, request->rgbResult, request->lpCustColors, {}};
        std::copy(request->lpCustColors, request->lpCustColors + 16, seen.customAtStart.begin());
        requests.push_back(seen);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

COLORREF centrePixel(HWND control) {
    RECT r;
    GetClientRect(control, &r);
    HDC dc = GetDC(control);
    COLORREF pixel = GetPixel(dc, 2, r.bottom - 3);  // beside the centred text
    ReleaseDC(control, dc);
    return pixel;
}

// Clicks `button` of the colour dialog and, in the common colour dialog that
// opens, unfolds the custom colours, clicks the first basic colour, adds it
// to the custom colours and ends with `end`; answers the colour chosen there.
COLORREF pickFirstBasicColor(HWND dialog, int button, int end) {
    COLORREF chosen = CLR_INVALID;
    bool acted = actOnDialog([&] { click(GetDlgItem(dialog, button)); },
                             [&](HWND chooser) {
                                 click(GetDlgItem(chooser, COLOR_MIX));  // unfolds the custom part
                                 RECT r;
                                 GetWindowRect(GetDlgItem(chooser, COLOR_BOX1), &r);
                                 POINT first = {r.left + (r.right - r.left) / 16, r.top + (r.bottom - r.top) / 12};
                                 dragMouse(first, first);
                                 click(GetDlgItem(chooser, COLOR_ADD));
                                 chosen = RGB(GetDlgItemInt(chooser, COLOR_RED, nullptr, FALSE),
                                              GetDlgItemInt(chooser, COLOR_GREEN, nullptr, FALSE),
                                              GetDlgItemInt(chooser, COLOR_BLUE, nullptr, FALSE));
                                 PostMessageA(chooser, WM_COMMAND, end, 0);
                             },
                             dialogWith(COLOR_RED));
    EXPECT_TRUE(acted) << "no common colour dialog";
    return chosen;
}

TEST(ColorSetDlg, EachButtonPicksItsColourThroughTheCommonDialog) {
    const MemoColors start{0x00102030, 0x00405060, 0x00708090, 0x00000000};
    struct Case {
        const char* name;
        int button;
        uint32_t MemoColors::*color;
        int preview;  // whose background shows the colour, or 0
        int end;      // how the common colour dialog is left
    } cases[] = {
        {"caption text", IDC_COLOR_CAPTION_TEXT, &MemoColors::TEXT_CAPTION_COLOR, 0, IDOK},
        {"caption background", IDC_COLOR_CAPTION_BACK, &MemoColors::BACK_CAPTION_COLOR, IDC_COLOR_CAPTION_PREVIEW, IDOK},
        {"memo text, black", IDC_COLOR_MEMO_TEXT, &MemoColors::TEXT_MEMO_COLOR, 0, IDCANCEL},
        {"memo background", IDC_COLOR_MEMO_BACK, &MemoColors::BACK_MEMO_COLOR, IDC_COLOR_MEMO_PREVIEW, IDOK},
    };
    requests.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, recordRequest, nullptr, GetCurrentThreadId());
    CColorSetDlg dialog;
    dialog.setColors(start);
    MemoColors expected = start;
    INT_PTR result = 0;
    EXPECT_TRUE(actOnDialog([&] { result = dialog.doModal(); },
                            [&](HWND d) {
                                EXPECT_EQ(centrePixel(GetDlgItem(d, IDC_COLOR_CAPTION_PREVIEW)), start.BACK_CAPTION_COLOR);
                                EXPECT_EQ(centrePixel(GetDlgItem(d, IDC_COLOR_MEMO_PREVIEW)), start.BACK_MEMO_COLOR);
                                for (const Case& c : cases) {
                                    SCOPED_TRACE(c.name);
                                    COLORREF chosen = pickFirstBasicColor(d, c.button, c.end);
                                    if (c.end == IDOK) expected.*c.color = chosen;
                                    if (c.preview) {
                                        EXPECT_EQ(centrePixel(GetDlgItem(d, c.preview)), chosen);
                                    }
                                }
                                PostMessageA(d, WM_COMMAND, IDOK, 0);
                            }));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.getColors(), expected);
    EXPECT_NE(expected.TEXT_CAPTION_COLOR, start.TEXT_CAPTION_COLOR);

    ASSERT_EQ(requests.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(cases[i].name);
        COLORREF initial = start.*cases[i].color;
        EXPECT_EQ(requests[i].initial, initial);
        // Black is never preselected; nothing else of the program's own.
        EXPECT_EQ(requests[i].flags, initial != 0 ? DWORD(CC_RGBINIT) : 0u);
        // One array for the process, white at start, keeping what was added.
        EXPECT_EQ(requests[i].customColors, requests[0].customColors);
        EXPECT_EQ(requests[i].customAtStart[0], i == 0 ? RGB(255, 255, 255) : expected.TEXT_CAPTION_COLOR);
        EXPECT_EQ(requests[i].customAtStart[15], RGB(255, 255, 255));
    }
}

TEST(ColorSetDlg, ResetGivesTheFactoryColoursOnlyWhenConfirmed) {
    const MemoColors start{1, 2, 3, 4};
    struct Case {
        const char* name;
        int answer;
        MemoColors colors;
    } cases[] = {
        {"No", IDNO, start},
        {"Enter", ENTER_KEY, start},
        {"Yes", IDYES, MemoColors{0x00AA5500, 0x00FFFFFF, 0x00B3FDF8, 0x00000000}},
    };
    CColorSetDlg dialog;
    dialog.setColors(start);
    EXPECT_TRUE(actOnDialog([&] { dialog.doModal(); },
                            [&](HWND d) {
                                for (const Case& c : cases) {
                                    SCOPED_TRACE(c.name);
                                    MessageBoxWatcher boxes(GetCurrentProcessId(), c.answer);
                                    click(GetDlgItem(d, IDC_COLOR_RESET));
                                    ASSERT_TRUE(boxes.waitFor(1));
                                    EXPECT_EQ(boxes.seen()[0].text, "デフォルト設定に戻します。\nよろしいですか？");
                                    EXPECT_EQ(dialog.getColors(), c.colors);
                                    EXPECT_EQ(centrePixel(GetDlgItem(d, IDC_COLOR_MEMO_PREVIEW)), c.colors.BACK_MEMO_COLOR);
                                }
                                PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
                            }));
}

}  // namespace
