// Generations through the resident window's saves, and the restore dialog,
// created for real: alone, and opened from the tray menu.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "dialogs/RestoreDlg.h"
#include "dialogs/RestoreText.h"
#include "res/resource.h"
#include "store/Generations.h"
#include "store/MemoFile.h"
#include "res/Messages.h"
#include "tray/TrayWnd.h"

using namespace testing_support;

namespace {

StoredMemo memo(const std::string& caption, const std::string& text = "text", int left = 100) {
    StoredMemo m;
    m.CAPTION = wide(caption);
    m.tabs = {{wide(text), L"tab"}, {L"second tab", L"tab 2"}};
    m.RECT_LEFT = left;
    m.RECT_TOP = 120;
    m.RECT_RIGHT = left + 220;
    m.RECT_BOTTOM = 280;
    return m;
}

void writeGeneration(const char* name, const std::vector<StoredMemo>& memos) {
    CreateDirectoryA("backup", nullptr);
    writeFile((std::string("backup\\") + name).c_str(), formatMemos(memos));
}

std::vector<std::string> captionsIn(const std::string& bytes) {
    std::vector<std::string> captions;
    parseMemos(bytes, ScreenSize{}, [&](const StoredMemo& m) { captions.push_back(narrow(m.CAPTION)); });
    return captions;
}

std::vector<std::string> captionsShown(const CTrayWnd& tray) {
    std::vector<std::string> captions;
    for (const auto& slot : tray.memoWindows()) {
        if (CTrayWnd::isLive(slot) && IsWindowVisible(slot->hwnd())) captions.push_back(narrow(slot->getCaption()));
    }
    return captions;
}

std::vector<std::string> listLines(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_RESTORE_LIST);
    std::vector<std::string> lines;
    for (LRESULT i = 0, n = SendMessageA(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
        std::string line(SendMessageA(list, LB_GETTEXTLEN, i, 0), '\0');
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&line[0]));
        lines.push_back(line);
    }
    return lines;
}

void select(HWND dialog, int index) {
    SendMessageA(GetDlgItem(dialog, IDC_RESTORE_LIST), LB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_RESTORE_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_RESTORE_LIST)));
}

void click(HWND dialog, int button) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

// The file's last write `secondsAgo` before now: the generation of it gets
// that time as its name.
void setWriteTime(const char* name, int secondsAgo) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t = {{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= static_cast<ULONGLONG>(secondsAgo) * 10000000;
    FILETIME when = {t.LowPart, t.HighPart};
    HANDLE file = CreateFileA(name, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFileTime(file, nullptr, nullptr, &when);
    CloseHandle(file);
}

size_t generationCount() { return generations::listGenerations(MEMO_FILE_NAME).size(); }

class RestoreTest : public ::testing::Test {
protected:
    TempDir dir;
    CTrayWnd tray;

    void start() { ASSERT_TRUE(tray.createWindow()); }
    void TearDown() override {
        if (IsWindow(tray.hwnd())) SendMessageA(tray.hwnd(), WM_CLOSE, 0, 0);
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
    // Opens the dialog from the tray menu and runs `act` in it; the memos are
    // dialogs too, and the restore dialog may show late.
    static void restoreDialog(const CTrayWnd& tray, const std::function<void(HWND)>& act) {
        EXPECT_TRUE(actOnDialog([&] { SendMessageA(tray.hwnd(), WM_COMMAND, ID_RESTORE, 0); }, act,
                                dialogWith(IDC_RESTORE_LIST)));
    }
};

TEST_F(RestoreTest, ListsTheGenerationsNewestFirstAndPreviewsTheSelected) {
    writeGeneration("Quillpad-20261130-080000.dat", {memo("買い物", "牛乳\r\n卵"), memo("仕事")});
    writeGeneration("Quillpad-20261201-093015.dat", {memo("日記", "\r\n一行目\r\n二行目\r\n三行目\r\n四行目")});
    writeGeneration("Quillpad-20261129-235959.dat", {memo("a"), memo("b"), memo("c"), memo("d")});
    writeFile("backup\\notes.txt", "not a generation");
    DataFile file(MEMO_FILE_NAME);
    CRestoreDlg dialog(file, [] { return true; });
    std::vector<std::string> lines, previews;
    LRESULT selectedAtOpen = -1;
    bool acted = actOnDialog([&] { EXPECT_EQ(dialog.doModal(), IDCANCEL); },
                             [&](HWND d) {
                                 // The list opens with the times; the memos follow, one generation a tick.
                                 pumpUntil([&] { return listLines(d)[2].size() > 20; });
                                 lines = listLines(d);
                                 selectedAtOpen = SendMessageA(GetDlgItem(d, IDC_RESTORE_LIST), LB_GETCURSEL, 0, 0);
                                 previews.push_back(itemText(d, IDC_RESTORE_PREVIEW));
                                 select(d, 1);
                                 previews.push_back(itemText(d, IDC_RESTORE_PREVIEW));
                                 EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDOK)));
                                 click(d, IDCANCEL);
                             });
    ASSERT_TRUE(acted);
    EXPECT_EQ(lines, (std::vector<std::string>{"2026/12/01 09:30:15  メモ 1 件  日記",
                                               "2026/11/30 08:00:00  メモ 2 件  買い物、仕事",
                                               "2026/11/29 23:59:59  メモ 4 件  a、b、c、…"}));
    EXPECT_EQ(selectedAtOpen, 0);
    EXPECT_EQ(previews, (std::vector<std::string>{
                            "■ 日記\r\n    一行目\r\n    二行目\r\n    三行目\r\n    …\r\n    second tab\r\n",
                            "■ 買い物\r\n    牛乳\r\n    卵\r\n    second tab\r\n\r\n■ 仕事\r\n    text\r\n    second tab\r\n"}));
    EXPECT_TRUE(dialog.chosenMemos().empty());
}

TEST_F(RestoreTest, WithoutGenerationsTheListSaysSoAndNothingCanBeChosen) {
    struct Case {
        const char* name;
        std::function<void()> prepare;
    } cases[] = {
        {"no backup folder", [] {}},
        {"only other files", [] { CreateDirectoryA("backup", nullptr); writeFile("backup\\Quillpad.dat", "x"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir empty;
        c.prepare();
        DataFile file(MEMO_FILE_NAME);
    CRestoreDlg dialog(file, [] { return true; });
        INT_PTR result = 0;
        bool acted = actOnDialog([&] { result = dialog.doModal(); },
                                 [&](HWND d) {
                                     EXPECT_EQ(listLines(d), std::vector<std::string>{"バックアップはありません。"});
                                     EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDOK)));
                                     EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_RESTORE_ADD)));
                                     select(d, 0);
                                     click(d, IDOK);  // as Enter would
                                     click(d, IDC_RESTORE_ADD);
                                     EXPECT_TRUE(IsWindowVisible(d));
                                     click(d, IDCANCEL);
                                 });
        EXPECT_TRUE(acted);
        EXPECT_EQ(result, IDCANCEL);
    }
}

// Two stored memos and a new one, whose save (the first of the run) kept the
// stored file as the newest generation; the one chosen is the older one of
// 2026-11-01 with one memo "前のメモ".
TEST_F(RestoreTest, ChoicesActOnTheMemosAndTheFile) {
    const std::vector<StoredMemo> stored = {memo("今のメモ1", "a", 50), memo("今のメモ2", "b", 400)};
    const StoredMemo old = memo("前のメモ", "old", 50);  // at the corner of 今のメモ1
    const std::vector<std::string> current = {"今のメモ1", "今のメモ2", "新規メモ"};
    struct Case {
        const char* name;
        int button;
        int answer;
        size_t questions;
        std::vector<std::string> captions;  // on the screen and in the file afterwards
    } cases[] = {
        {"OK, Yes", IDOK, IDYES, 1, {"前のメモ"}},
        {"OK, No", IDOK, IDNO, 1, current},
        {"追加", IDC_RESTORE_ADD, IDYES, 0, {"今のメモ1", "今のメモ2", "新規メモ", "前のメモ"}},
        {"Cancel", IDCANCEL, IDYES, 0, current},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir rowDir;
        CTrayWnd rowTray;
        writeFile(MEMO_FILE_NAME, formatMemos(stored));
        setWriteTime(MEMO_FILE_NAME, 600);
        writeGeneration("Quillpad-20261101-120000.dat", {old});
        ASSERT_TRUE(rowTray.createWindow());
        SendMessageA(rowTray.hwnd(), WM_COMMAND, ID_ADD_MEMO, 0);
        const std::string before = readFile(MEMO_FILE_NAME);
        MessageBoxWatcher boxes(GetCurrentProcessId(), c.answer);
        bool openAfterChoice = false;
        restoreDialog(rowTray, [&](HWND d) {
            select(d, 1);
            click(d, c.button);
            openAfterChoice = IsWindow(d) && IsWindowVisible(d);
            if (openAfterChoice) click(d, IDCANCEL);
        });
        EXPECT_EQ(openAfterChoice, c.answer == IDNO);
        ASSERT_EQ(boxes.seen().size(), c.questions);
        if (c.questions) {
            EXPECT_EQ(boxes.seen()[0].text, "現在のメモを、選んだ時点のメモで\n置き換えます。\nよろしいですか？");
        }
        EXPECT_EQ(captionsShown(rowTray), c.captions);
        EXPECT_EQ(captionsIn(readFile(MEMO_FILE_NAME)), c.captions);
        // A replace keeps the state it replaces as the newest generation, so
        // that it can be undone, though the run's saves owe none.
        std::vector<generations::Generation> kept = generations::listGenerations(MEMO_FILE_NAME);
        const bool replaced = c.button == IDOK && c.answer == IDYES;
        ASSERT_EQ(kept.size(), replaced ? 3u : 2u);
        if (replaced) {
            EXPECT_EQ(readFile(kept[0].path.c_str()), before);
        }
        if (captionsShown(rowTray).back() == "前のメモ") {
            // Shown as at a start where the generation had it; added, it cascades off the memo there.
            RECT r;
            GetWindowRect(rowTray.memoWindows().back()->hwnd(), &r);
            EXPECT_EQ(r.left == old.RECT_LEFT && r.bottom == old.RECT_BOTTOM, replaced);
            EXPECT_EQ(r.right - r.left, old.RECT_RIGHT - old.RECT_LEFT);
        }
        SendMessageA(rowTray.hwnd(), WM_CLOSE, 0, 0);
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
}

// The list was made when the dialog opened; the choice reads the generation
// again. One that cannot be read then is told, and the dialog stays.
TEST_F(RestoreTest, GenerationThatCannotBeReadIsToldAndChangesNothing) {
    writeFile(MEMO_FILE_NAME, formatMemos({memo("今のメモ")}));
    writeGeneration("Quillpad-20261101-120000.dat", {memo("前のメモ")});
    writeGeneration("Quillpad-20261031-120000.dat", {memo("もっと前")});
    // Held by another program without sharing: it cannot be read.
    HANDLE older = CreateFileA("backup\\Quillpad-20261031-120000.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(older, INVALID_HANDLE_VALUE);
    start();
    const std::string before = readFile(MEMO_FILE_NAME);
    MessageBoxWatcher boxes(GetCurrentProcessId(), IDYES);
    HANDLE newest = INVALID_HANDLE_VALUE;
    std::vector<std::string> lines;
    bool openAfterChoice = false;
    restoreDialog(tray, [&](HWND d) {
        lines = listLines(d);
        newest = CreateFileA("backup\\Quillpad-20261101-120000.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        click(d, IDOK);
        click(d, IDC_RESTORE_ADD);
        openAfterChoice = IsWindowVisible(d);
        click(d, IDCANCEL);
    });
    CloseHandle(newest);
    CloseHandle(older);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "2026/10/31 12:00:00  ファイルを読み込めません。");
    EXPECT_TRUE(openAfterChoice);
    std::vector<std::string> texts;
    for (const MessageBoxSeen& box : boxes.seen()) texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"現在のメモを、選んだ時点のメモで\n置き換えます。\nよろしいですか？",
                                               "ファイルを読み込めません。", "ファイルを読み込めません。"}));
    EXPECT_EQ(captionsShown(tray), std::vector<std::string>{"今のメモ"});
    EXPECT_EQ(readFile(MEMO_FILE_NAME), before);
    EXPECT_EQ(generationCount(), 2u);
}

TEST_F(RestoreTest, MemosStayUsableWhileTheDialogIsOpen) {
    writeGeneration("Quillpad-20261101-120000.dat", {memo("前のメモ")});
    start();
    restoreDialog(tray, [&](HWND d) {
        SendMessageA(tray.hwnd(), WM_COMMAND, ID_ADD_MEMO, 0);
        EXPECT_EQ(captionsIn(readFile(MEMO_FILE_NAME)), std::vector<std::string>{"新規メモ"});
        click(d, IDC_RESTORE_ADD);
    });
    EXPECT_EQ(captionsShown(tray), (std::vector<std::string>{"新規メモ", "前のメモ"}));
    EXPECT_EQ(captionsIn(readFile(MEMO_FILE_NAME)), (std::vector<std::string>{"新規メモ", "前のメモ"}));
}

// "終了(&X)" while the dialog is open saves the memos as they are and ends
// the dialog with the window; nothing is restored.
TEST_F(RestoreTest, ExitWhileTheDialogIsOpen) {
    writeGeneration("Quillpad-20261101-120000.dat", {memo("前のメモ")});
    writeFile(MEMO_FILE_NAME, formatMemos({memo("今のメモ")}));
    start();
    HWND window = tray.hwnd();
    HWND dialog = nullptr;
    restoreDialog(tray, [&](HWND d) {
        dialog = d;
        PostMessageA(window, WM_COMMAND, ID_EXIT, 0);
    });
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); }));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(captionsIn(readFile(MEMO_FILE_NAME)), std::vector<std::string>{"今のメモ"});
}

// Which saves of the resident window keep the file on disk as a generation.
// Before each step the file gets a write time of its own within the last
// hour, so that a generation made by the step has a new name and the newest
// one is never an hour old.
TEST_F(RestoreTest, FirstSaveAndTheSavesOfDeletesKeepAGeneration) {
    writeFile("Quillpad.ini", "DEL_CHECK_FLAG-0\r\n");
    writeFile(MEMO_FILE_NAME, formatMemos({memo("one"), memo("two"), memo("three")}));
    start();
    MessageBoxWatcher yes(GetCurrentProcessId(), IDYES);
    auto live = [&](size_t i) -> CMemoDlg& { return *tray.memoWindows()[i]; };
    struct Step {
        const char* name;
        std::function<void()> act;
        bool keeps;
    } steps[] = {
        {"the first save of the run", [&] { SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0); }, true},
        {"a save", [&] { SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0); }, false},
        {"a new memo", [&] { SendMessageA(tray.hwnd(), WM_COMMAND, ID_ADD_MEMO, 0); }, false},
        {"a tab deleted", [&] { SendMessageA(live(0).hwnd(), WM_COMMAND, ID_DELETE_TAB, 0); }, true},
        {"a memo deleted", [&] { SendMessageA(live(1).hwnd(), WM_COMMAND, ID_DELETE_MEMO, 0); }, true},
        {"全削除 answered Yes saves nothing", [&] { SendMessageA(tray.hwnd(), WM_COMMAND, ID_DELETE_ALL, 0); }, false},
        {"the save after it", [&] { SendMessageA(tray.hwnd(), WM_COMMAND, ID_ADD_MEMO, 0); }, true},
        {"the save after that", [&] { SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0); }, false},
    };
    int secondsAgo = 3000;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        setWriteTime(MEMO_FILE_NAME, secondsAgo -= 60);
        const std::string onDisk = readFile(MEMO_FILE_NAME);
        const size_t before = generationCount();
        s.act();
        EXPECT_EQ(generationCount(), before + (s.keeps ? 1 : 0));
        if (s.keeps) {
            EXPECT_EQ(readFile(generations::listGenerations(MEMO_FILE_NAME)[0].path.c_str()), onDisk);
        }
    }
    EXPECT_EQ(yes.seen().size(), 1u);  // the question of 全削除
}

// A generation that cannot be made ("backup" is a file) stops no save and says nothing.
TEST_F(RestoreTest, SaveLandsWhenNoGenerationCanBeMade) {
    writeFile("backup", "a file where the folder would be");
    start();
    MessageBoxWatcher boxes;
    SendMessageA(tray.hwnd(), WM_COMMAND, ID_ADD_MEMO, 0);
    pumpFor(200);
    EXPECT_EQ(captionsIn(readFile(MEMO_FILE_NAME)), std::vector<std::string>{"新規メモ"});
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_EQ(readFile("backup"), "a file where the folder would be");
}

}  // namespace

// A replace first saves what is being typed and keeps the file as it then
// stands; when that cannot be done, the dialog says so and nothing changes.
TEST_F(RestoreTest, ReplaceKeepsTheTypingAndNeverLosesTheCurrentMemos) {
    writeGeneration("Quillpad-20261101-120000.dat", {memo("前のメモ")});
    writeFile(MEMO_FILE_NAME, formatMemos({memo("今のメモ")}));
    setWriteTime(MEMO_FILE_NAME, 600);  // the run's first generation gets a name of its own
    start();
    CMemoDlg& current = *tray.memoWindows()[0];
    SetCursorPos(0, 0);  // away from the caption: a double click edits the text
    for (bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "the file cannot be written" : "the file can be written");
        SendMessageA(current.hwnd(), WM_LBUTTONDBLCLK, 0, 0);
        SetDlgItemTextA(current.hwnd(), IDC_MEMO_EDITOR, readOnly ? "typed first" : "typed");
        SetFileAttributesA(MEMO_FILE_NAME, readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        const size_t generationsBefore = generationCount();
        MessageBoxWatcher boxes(GetCurrentProcessId(), IDYES);
        bool openAfterChoice = false;
        restoreDialog(tray, [&](HWND d) {
            click(d, IDOK);
            openAfterChoice = IsWindow(d) && IsWindowVisible(d);
            if (openAfterChoice) click(d, IDCANCEL);
        });
        EXPECT_EQ(openAfterChoice, readOnly);
        ASSERT_EQ(boxes.seen().size(), readOnly ? 2u : 1u);
        if (readOnly) {
            EXPECT_EQ(boxes.seen()[1].text, "現在のメモをバックアップに残せないため、\n置き換えませんでした。");
            EXPECT_EQ(captionsShown(tray), std::vector<std::string>{"今のメモ"});
            EXPECT_EQ(generationCount(), generationsBefore);
        } else {
            EXPECT_EQ(captionsShown(tray), std::vector<std::string>{"前のメモ"});
            std::vector<StoredMemo> kept;
            parseMemos(readFile(generations::listGenerations(MEMO_FILE_NAME)[0].path.c_str()), {},
                       [&](const StoredMemo& m) { kept.push_back(m); });
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(kept[0].tabs[0].text, L"typed\r\n");
        }
    }
}

// A file that another program changed into one without memos (an editor, a
// cloud folder's placeholder) is no version to merge: it is kept as a
// generation before the next save, and the user is told once where it is.
TEST_F(RestoreTest, AnotherProgramsVersionIsKeptAndToldOnce) {
    start();
    const std::string byHand = "no memo here\r\n";
    writeFile(MEMO_FILE_NAME, byHand);
    setWriteTime(MEMO_FILE_NAME, 300);
    MessageBoxWatcher boxes;
    for (int save = 0; save < 2; ++save) SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0);
    pumpFor(300);
    const generations::Generation kept = generations::listGenerations(MEMO_FILE_NAME).at(0);
    EXPECT_EQ(readFile(kept.path.c_str()), byHand);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_NE(boxes.seen()[0].text.find("「" + generationTime(kept.time) + "」"), std::string::npos);
}

// Another PC's version of the file, from an earlier version without
// identities, joins the open memos memo by memo before a save, without a box:
// a text it changed cannot be told from a new memo, so both are kept; a memo
// it lacks stays, as only a delete that this version writes deletes.
// (The folder's watch: the journey through a Syncthing pair.)
TEST_F(RestoreTest, AnotherPCsVersionIsMergedMemoByMemo) {
    writeFile(MEMO_FILE_NAME, formatMemos({memo("one"), memo("two", "text", 400), memo("three")}));
    start();
    MessageBoxWatcher boxes;
    writeFile(MEMO_FILE_NAME, formatMemos({memo("one", "their text"), memo("two", "text", 400), memo("four")}));
    SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0);
    std::vector<std::string> captions = captionsIn(readFile(MEMO_FILE_NAME));
    std::sort(captions.begin(), captions.end());
    EXPECT_EQ(captions, (std::vector<std::string>{"four", "one", "one", "three", "two"}));
    EXPECT_EQ(tray.memoWindows().at(0)->getTabs().at(0).text, L"text\r\n");
    // A sync engine's conflict copy joins too, and goes into the backup
    // folder; what it lacks stays.
    const char* copy = "Quillpad.sync-conflict-20261201-101010-ABCDEFG.dat";
    StoredMemo added = memo("five");
    added.MEMO_ID = "5";
    writeFile(copy, formatMemos({added}));
    pumpFor(2000);
    EXPECT_EQ(captionsShown(tray), (std::vector<std::string>{"one", "two", "three", "one", "four", "five"}));
    EXPECT_EQ(GetFileAttributesA(copy), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(captionsIn(readFile(generations::listGenerations(MEMO_FILE_NAME).at(0).path.c_str())),
              std::vector<std::string>{"five"});
    EXPECT_TRUE(boxes.seen().empty());
}
