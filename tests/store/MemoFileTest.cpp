#include <gtest/gtest.h>
#include <functional>
#include <sys/stat.h>
#include "store/FileIO.h"
#include "store/MemoFile.h"
#include "store/ShiftJis.h"
#include "tests/store/TestFiles.h"
#include "tests/support/SaveMemoFile.h"

// Texts as the reader makes them of the file's bytes, and back.
std::wstring w(const std::string& bytes) { return sjis::decode(bytes); }
std::string toFile(const std::wstring& text) { return sjis::encode(text); }

// Failures show a memo as the lines it is written as.
void PrintTo(const StoredMemo& m, std::ostream* os) {
    StoredMemo shown = m;
    if (shown.tabs.empty()) shown.tabs.push_back({L"(no tabs)", L""});
    *os << testing::PrintToString(formatMemos({shown}));
}

namespace {

// Shift-JIS bytes of 新規メモ, 新規タブ and ダブルクリックで編集.
const std::string NEW_MEMO = "\x90\x56\x8B\x4B\x83\x81\x83\x82";
const std::string NEW_TAB = "\x90\x56\x8B\x4B\x83\x5E\x83\x75";
const std::string DOUBLE_CLICK_TO_EDIT = "\x83\x5F\x83\x75\x83\x8B\x83\x4E\x83\x8A\x83\x62\x83\x4E\x82\xC5\x95\xD2\x8F\x57";

// One memo with one tab, 300 x 150 at (362, 309), factory colours.
const std::string EXAMPLE_FILE =
    "[MEMO_TAB_START]\r\n"
    "RECT_TOP-309\r\n"
    "RECT_LEFT-362\r\n"
    "RECT_BOTTOM-459\r\n"
    "RECT_RIGHT-662\r\n"
    "BACK_CAPTION_COLOR-11162880\r\n"
    "TEXT_CAPTION_COLOR-16777215\r\n"
    "BACK_MEMO_COLOR-11795960\r\n"
    "TEXT_MEMO_COLOR-0\r\n"
    "MEMO_SELECT_INDEX-0\r\n"
    "CAPTION-" + NEW_MEMO + "\r\n"
    "NOT_SHOW_TAB_FLAG-0\r\n"
    "WORDWRAP_FLAG-0\r\n"
    "COMPACT_FLAG-0\r\n"
    "NON_MOVE_FLAG-0\r\n"
    "[MEMO_START]\r\n"
    "MEMO_TAB_TITLE-" + NEW_TAB + "\r\n" +
    DOUBLE_CLICK_TO_EDIT + "\r\n"
    "[MEMO_END]\r\n"
    "[MEMO_TAB_END]\r\n";

StoredMemo exampleMemo() {
    StoredMemo m;
    m.tabs = {{w(DOUBLE_CLICK_TO_EDIT + "\r\n"), w(NEW_TAB)}};
    m.CAPTION = w(NEW_MEMO);
    m.RECT_LEFT = 362, m.RECT_TOP = 309, m.RECT_RIGHT = 662, m.RECT_BOTTOM = 459;
    return m;
}

// What the reader gives a memo whose block holds no key line: a new memo's
// rectangle on a 1024 x 768 screen, colours 0.
StoredMemo memoWithoutKeys(std::vector<MemoTab> tabs) {
    StoredMemo m = exampleMemo();
    m.CAPTION.clear();
    m.appearance.colors = {0, 0, 0, 0};
    m.tabs = std::move(tabs);
    return m;
}

std::vector<StoredMemo> parse(std::string_view data, ScreenSize screen = {}) {
    std::vector<StoredMemo> memos;
    parseMemos(data, screen, [&](const StoredMemo& m) { memos.push_back(m); });
    return memos;
}

std::string withCrLf(std::string text) {
    for (size_t i = 0; (i = text.find('\n', i)) != std::string::npos; i += 2) text.insert(i, 1, '\r');
    return text;
}

}  // namespace

TEST(MemoFile, ExampleFileByteForByte) {
    EXPECT_EQ(formatMemos({exampleMemo()}), EXAMPLE_FILE);
    std::string bareLf = EXAMPLE_FILE;
    for (size_t i; (i = bareLf.find("\r\n")) != std::string::npos;) bareLf.erase(i, 1);
    for (const std::string& file : {EXAMPLE_FILE, bareLf}) EXPECT_EQ(parse(file), std::vector<StoredMemo>{exampleMemo()});
}

TEST(MemoReader, FilesWithoutCompleteMemos) {
    for (const char* file : {"", "hello\n", "[MEMO_START]\nx\n[MEMO_END]\n[MEMO_TAB_END]\n",
                             "[MEMO_TAB_START]\n[MEMO_TAB_END]\n",  // a memo without tabs is skipped
                             "[MEMO_TAB_START]\n[MEMO_START]\n[MEMO_END]\n",  // left open
                             "[MEMO_TAB_START]\n[MEMO_START]\n[MEMO_TAB_END]\n"}) {
        EXPECT_TRUE(parse(file).empty()) << file;
    }
}

TEST(MemoReader, FirstMemoWithoutRectGetsANewMemosRectangle) {
    const char* block = "[MEMO_TAB_START]\n[MEMO_START]\n[MEMO_END]\n[MEMO_TAB_END]";
    EXPECT_EQ(parse(block), std::vector<StoredMemo>{memoWithoutKeys({{L"", L""}})});

    StoredMemo wide = parse(block, ScreenSize{1920, 1080}).at(0);
    EXPECT_EQ(std::vector<int32_t>({wide.RECT_LEFT, wide.RECT_TOP, wide.RECT_RIGHT, wide.RECT_BOTTOM}),
              std::vector<int32_t>({810, 465, 1110, 615}));

    StoredMemo partial = parse("[MEMO_TAB_START]\nRECT_TOP-5\n[MEMO_START]\n[MEMO_END]\n[MEMO_TAB_END]").at(0);
    EXPECT_EQ(std::vector<int32_t>({partial.RECT_LEFT, partial.RECT_TOP, partial.RECT_RIGHT, partial.RECT_BOTTOM}),
              std::vector<int32_t>({362, 5, 662, 459}));
}

TEST(MemoReader, KeyValues) {
    struct Case { const char* header; std::function<void(StoredMemo&)> change; } cases[] = {
        {"WORDWRAP_FLAG-2", [](StoredMemo&) {}},
        {"WORDWRAP_FLAG-", [](StoredMemo&) {}},
        {"WORDWRAP_FLAG- 1", [](StoredMemo& m) { m.appearance.WORDWRAP_FLAG = true; }},
        {"BACK_MEMO_COLOR-4294967295", [](StoredMemo& m) { m.appearance.colors.BACK_MEMO_COLOR = 0xFFFFFFFF; }},
        {"BACK_MEMO_COLOR--1", [](StoredMemo& m) { m.appearance.colors.BACK_MEMO_COLOR = 0xFFFFFFFF; }},
        {"RECT_LEFT--20", [](StoredMemo& m) { m.RECT_LEFT = -20; }},
        {"RECT_LEFT-3\nunknown line\nRECT_LEFT-4", [](StoredMemo& m) { m.RECT_LEFT = 4; }},
        {"CAPTION-RECT_TOP-7\r\r", [](StoredMemo& m) { m.CAPTION = L"RECT_TOP-7\r"; }},
        {"CAPTION-", [](StoredMemo&) {}},
        {"MEMO_SELECT_INDEX-1", [](StoredMemo& m) { m.MEMO_SELECT_INDEX = 1; }},
        {"MEMO_SELECT_INDEX-2", [](StoredMemo&) {}},   // outside the tabs: the first tab
        {"MEMO_SELECT_INDEX--1", [](StoredMemo&) {}},
        {"MEMO_ID-0a1b", [](StoredMemo& m) { m.MEMO_ID = "0a1b"; }},
        {"MEMO_ID-0a1b 77", [](StoredMemo& m) { m.MEMO_ID = "0a1b", m.MEMO_VERSION = "77"; }},
        {"NON_MOVE_FLAG-1\nCOMPACT_FLAG-1\nNOT_SHOW_TAB_FLAG-1\nTEXT_MEMO_COLOR-6\nTEXT_CAPTION_COLOR-5\n"
         "BACK_CAPTION_COLOR-4\nRECT_RIGHT-3\nRECT_BOTTOM-2",
         [](StoredMemo& m) {
             m.appearance.NON_MOVE_FLAG = m.appearance.COMPACT_FLAG = m.appearance.NOT_SHOW_TAB_FLAG = true;
             m.appearance.colors = {4, 5, 0, 6};
             m.RECT_RIGHT = 3, m.RECT_BOTTOM = 2;
         }},
    };
    for (const Case& c : cases) {
        StoredMemo expected = memoWithoutKeys({{L"", L"a"}, {L"", L"b"}});
        c.change(expected);
        std::string file = std::string("[MEMO_TAB_START]\n") + c.header +
                           "\n[MEMO_START]\nMEMO_TAB_TITLE-a\n[MEMO_END]\n[MEMO_START]\nMEMO_TAB_TITLE-b\n[MEMO_END]\n"
                           "[MEMO_TAB_END]\n";
        EXPECT_EQ(parse(file), std::vector<StoredMemo>{expected}) << c.header;
    }
}

TEST(MemoReader, WorkingValuesCarryOverBetweenBlocks) {
    const char* file =
        "[MEMO_TAB_START]\nRECT_LEFT-1\nBACK_MEMO_COLOR-7\nNON_MOVE_FLAG-1\nMEMO_SELECT_INDEX-1\nCAPTION-first\n"
        "[MEMO_START]\nMEMO_TAB_TITLE-T1\na\n[MEMO_END]\n[MEMO_START]\n[MEMO_END]\n[MEMO_TAB_END]\n"
        "[MEMO_TAB_START]\nRECT_TOP-2\n[MEMO_START]\nb\n[MEMO_END]\n[MEMO_TAB_END]\n"
        "[MEMO_TAB_START]\n[MEMO_START]\n[MEMO_END]\n[MEMO_START]\n[MEMO_END]\n[MEMO_TAB_END]\n";
    StoredMemo first = memoWithoutKeys({{L"a\r\n", L"T1"}, {L"", L"T1"}});
    first.RECT_LEFT = 1;
    first.appearance.colors.BACK_MEMO_COLOR = 7;
    first.appearance.NON_MOVE_FLAG = true;
    first.MEMO_SELECT_INDEX = 1;
    first.CAPTION = L"first";
    StoredMemo second = first;  // the caption is emptied at each memo; the title runs on
    second.CAPTION.clear();
    second.RECT_TOP = 2;
    second.tabs = {{L"b\r\n", L"T1"}};
    second.MEMO_SELECT_INDEX = 0;  // index 1 is outside its one tab...
    StoredMemo third = second;
    third.tabs = {{L"", L"T1"}, {L"", L"T1"}};
    third.MEMO_SELECT_INDEX = 1;  // ...but the working value is still 1
    EXPECT_EQ(parse(file), (std::vector<StoredMemo>{first, second, third}));
}

TEST(MemoReader, RulesApplyInTheirOrder) {
    const char* file =
        "RECT_TOP-99\n"  // no memo open
        "[MEMO_TAB_START]\nCAPTION-RECT_TOP-1\nstray line\n"
        "[MEMO_START]\nRECT_TOP-5\n[MEMO_START]\n[MEMO_TAB_START]\n[MEMO_TAB_END]\nMEMO_TAB_TITLE-late\n"
        "CAPTION-x\n [MEMO_END]\n[MEMO_END] \n[MEMO_END]\n"
        "WORDWRAP_FLAG-1\n"  // memo open, tab closed: a key line again
        "[MEMO_TAB_END]\n"
        "[MEMO_TAB_END]\n";  // no memo open: ignored, nothing repeated
    StoredMemo expected = memoWithoutKeys(
        {{L"RECT_TOP-5\r\n[MEMO_START]\r\n[MEMO_TAB_START]\r\n[MEMO_TAB_END]\r\nCAPTION-x\r\n[MEMO_END]\r\n[MEMO_END] \r\n",
          L"late"}});
    expected.CAPTION = L"RECT_TOP-1";
    expected.appearance.WORDWRAP_FLAG = true;
    EXPECT_EQ(parse(file), std::vector<StoredMemo>{expected});
}

TEST(MemoReader, HandsEachMemoOnWhenItsBlockEnds) {
    std::string file;
    for (const char* caption : {"A", "B", "C"}) {
        file += std::string("[MEMO_TAB_START]\nCAPTION-") + caption + "\n[MEMO_START]\nx\n[MEMO_END]\n[MEMO_TAB_END]\n";
    }
    file += "[MEMO_TAB_START]\nCAPTION-unfinished\n[MEMO_START]\nx\n[MEMO_END]\n";  // file ends early
    std::string seen;
    parseMemos(file, {}, [&](const StoredMemo& m) { seen += toFile(m.CAPTION); });
    EXPECT_EQ(seen, "ABC");
    file.pop_back();  // and without a final line end
    file += "\n[MEMO_TAB_END]";
    seen.clear();
    parseMemos(file, {}, [&](const StoredMemo& m) { seen += toFile(m.CAPTION); });
    EXPECT_EQ(seen, "ABCunfinished");
}

TEST(MemoReader, CarriedTitlesStayWithinTheFileSize) {
    std::string file = "[MEMO_TAB_START]\n[MEMO_START]\nMEMO_TAB_TITLE-" + std::string(100000, 't') + "\n[MEMO_END]\n";
    for (int i = 0; i < 20000; ++i) file += "[MEMO_START]\n[MEMO_END]\n";
    file += "[MEMO_TAB_END]\n";
    std::vector<StoredMemo> memos = parse(file);
    ASSERT_EQ(memos.size(), 1u);
    ASSERT_EQ(memos[0].tabs.size(), 20001u);
    size_t titleBytes = 0;
    for (const MemoTab& tab : memos[0].tabs) titleBytes += tab.title.size();
    EXPECT_EQ(memos[0].tabs[1].title.size(), 100000u);  // carried over while it fits
    EXPECT_LE(titleBytes, 100000 + file.size());
    EXPECT_TRUE(memos[0].tabs.back().title.empty());
}

TEST(MemoWriter, TabTextRules) {
    struct Case { std::string text, written, readBack; } cases[] = {
        {"", "\r\n", "\r\n"},
        {"a\r\nb", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\nb", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\rb\r", "ab\r\n", "ab\r\n"},
        {"a\n\r", "a\r\n\r\n", "a\r\n\r\n"},  // the last byte before the CRs go decides
        {"\r\n\r\n", "\r\n\r\n", "\r\n\r\n"},
        // Blanks and then a marker get one more blank, taken off again when read.
        {"[MEMO_END]", " [MEMO_END]\r\n", "[MEMO_END]\r\n"},
        {"a\r\n[MEMO_END]\r\n", "a\r\n [MEMO_END]\r\n", "a\r\n[MEMO_END]\r\n"},
        {"x\r\n[MEMO_E\rND]\r\ny", "x\r\n [MEMO_END]\r\ny\r\n", "x\r\n[MEMO_END]\r\ny\r\n"},
        {"MEMO_TAB_TITLE-t\r\nmore", " MEMO_TAB_TITLE-t\r\nmore\r\n", "MEMO_TAB_TITLE-t\r\nmore\r\n"},
        {"[MEMO_END]x\r\n [MEMO_END]\r\nMEMO_TAB_TITLE\r\n[MEMO_TAB_END]\r\n   MEMO_TAB_TITLE-\r\nRECT_TOP-1",
         "[MEMO_END]x\r\n  [MEMO_END]\r\nMEMO_TAB_TITLE\r\n [MEMO_TAB_END]\r\n    MEMO_TAB_TITLE-\r\nRECT_TOP-1\r\n",
         "[MEMO_END]x\r\n [MEMO_END]\r\nMEMO_TAB_TITLE\r\n[MEMO_TAB_END]\r\n   MEMO_TAB_TITLE-\r\nRECT_TOP-1\r\n"},
        {" \r\n [MEMO_START] \r\n\t[MEMO_START]", " \r\n [MEMO_START] \r\n\t[MEMO_START]\r\n",
         " \r\n [MEMO_START] \r\n\t[MEMO_START]\r\n"},
    };
    const std::string before = "MEMO_TAB_TITLE-T\r\n", after = "[MEMO_END]\r\n[MEMO_TAB_END]\r\n";
    for (const Case& c : cases) {
        StoredMemo memo = exampleMemo();
        memo.tabs = {{w(c.text), L"T"}};
        std::string file = formatMemos({memo});
        size_t start = file.find(before) + before.size();
        ASSERT_GE(file.size(), start + after.size());
        EXPECT_EQ(file.substr(start, file.size() - after.size() - start), c.written) << c.text;
        // The last version, which takes no blank off, reads the same blocks: no text line is a marker.
        const std::vector<StoredMemo> blocks = parse("[MEMO_TAB_START]\n[MEMO_START]\n" + c.written + after);
        EXPECT_TRUE(blocks.size() == 1 && blocks[0].tabs.size() == 1 && blocks[0].tabs[0].title.empty()) << c.text;
        std::vector<StoredMemo> back = parse(file);
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].tabs, (std::vector<MemoTab>{{w(c.readBack), L"T"}})) << c.text;
        EXPECT_EQ(formatMemos(back), file) << c.text;  // no further change after one save and load
    }
}

TEST(MemoWriter, HeaderLines) {
    StoredMemo memo = exampleMemo();
    memo.RECT_LEFT = -20, memo.RECT_TOP = -2147483647 - 1;
    memo.appearance.colors = {4294967295u, 1, 2, 3};
    memo.appearance.NOT_SHOW_TAB_FLAG = memo.appearance.WORDWRAP_FLAG = memo.appearance.COMPACT_FLAG = memo.appearance.NON_MOVE_FLAG = true;
    memo.MEMO_SELECT_INDEX = -1;
    memo.CAPTION = L"a\nb";  // single-line fields never split the line
    memo.tabs = {{L"x", L"t\nu"}};
    EXPECT_EQ(formatMemos({memo}), withCrLf("[MEMO_TAB_START]\nRECT_TOP--2147483648\nRECT_LEFT--20\nRECT_BOTTOM-459\n"
                                            "RECT_RIGHT-662\nBACK_CAPTION_COLOR-4294967295\nTEXT_CAPTION_COLOR-1\n"
                                            "BACK_MEMO_COLOR-2\nTEXT_MEMO_COLOR-3\nMEMO_SELECT_INDEX--1\nCAPTION-a b\n"
                                            "NOT_SHOW_TAB_FLAG-1\nWORDWRAP_FLAG-1\nCOMPACT_FLAG-1\nNON_MOVE_FLAG-1\n"
                                            "[MEMO_START]\nMEMO_TAB_TITLE-t u\nx\n[MEMO_END]\n[MEMO_TAB_END]\n"));
}

TEST(MemoWriter, RoundTripKeepsEveryMemoInOrder) {
    StoredMemo second = exampleMemo();
    second.CAPTION = w("RECT_TOP-1 " + NEW_MEMO);
    second.RECT_LEFT = -300, second.RECT_RIGHT = 2147483647;
    second.appearance.colors = {0xFFFFFFFF, 0x80000000, 1, 0};
    second.appearance.WORDWRAP_FLAG = second.appearance.NON_MOVE_FLAG = true;
    second.MEMO_SELECT_INDEX = 2;
    second.MEMO_ID = "00ff", second.MEMO_VERSION = "ab";  // written last in the header, never carried to the next memo
    second.REMINDER = parseReminder("2026-12-10T09:00:00 weekly snooze 2026-12-10T09:05:00 ringing");  // nor this
    second.tabs = {{L"one\r\n", L""}, {L"\r\n", w(NEW_TAB)}, {L"[MEMO_TAB_END] \r\nMEMO_TAB_TITLE\r\n\r\n", L"MEMO_TAB_TITLE-x"}};
    StoredMemo withoutTabs = second;
    withoutTabs.tabs.clear();  // a memo being deleted leaves no block
    std::vector<StoredMemo> memos{exampleMemo(), withoutTabs, second, exampleMemo()};
    EXPECT_EQ(parse(formatMemos(memos)), (std::vector<StoredMemo>{exampleMemo(), second, exampleMemo()}));
}

TEST(MemoReader, ACutBlockEndsWhereTheNextBegins) {
    const std::string a = "[MEMO_TAB_START]\nCAPTION-A\n[MEMO_START]\nMEMO_TAB_TITLE-a\none\n",
                      b = "[MEMO_TAB_START]\nCAPTION-B\n[MEMO_START]\nMEMO_TAB_TITLE-b\n[MEMO_END]\n[MEMO_TAB_END]\n",
                      old = "[MEMO_TAB_START]\n[MEMO_START]\n MEMO_TAB_TITLE-x\n [MEMO_END]\n[MEMO_TAB_END]\n";
    struct Row { const char* what; std::string file, seen; } rows[] = {
        {"a tab cut, then a memo", a + "[MEMO_END]\n[MEMO_START]\nMEMO_TAB_TITLE-c\n" + b, "/A a:one\r\n c:/B b:"},
        {"a tab cut, then its memo's next", a + "[MEMO_START]\nMEMO_TAB_TITLE-c\n[MEMO_END]\n[MEMO_TAB_END]",
         "/A a:one\r\n c:"},
        {"block lines as the last version wrote them", a + old + "[MEMO_END]\n[MEMO_TAB_END]",
         "/A a:one\r\n[MEMO_TAB_START]\r\n[MEMO_START]\r\nMEMO_TAB_TITLE-x\r\n[MEMO_END]\r\n[MEMO_TAB_END]\r\n"},
        {"block lines written now", formatMemos({memoWithoutKeys({{w(old), L"a"}})}),
         "/ a:[MEMO_TAB_START]\r\n[MEMO_START]\r\n MEMO_TAB_TITLE-x\r\n [MEMO_END]\r\n[MEMO_TAB_END]\r\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::string seen;
        for (const StoredMemo& m : parse(r.file)) {
            seen += "/" + toFile(m.CAPTION);
            for (const MemoTab& tab : m.tabs) seen += " " + toFile(tab.title) + ":" + toFile(tab.text);
        }
        EXPECT_EQ(seen, r.seen);
    }
}

namespace {

class MemoFileOnDisk : public InTempDir {
protected:
    const std::string tempName_ = std::string(MEMO_FILE_NAME) + ".tmp";

    LoadResult load(std::vector<StoredMemo>& memos) {
        return loadMemoFile(MEMO_FILE_NAME, {}, [&](const StoredMemo& m) { memos.push_back(m); });
    }
};

// Memos whose file takes several write pieces.
std::vector<StoredMemo> largeMemos() {
    StoredMemo memo = exampleMemo();
    memo.tabs.assign(5, MemoTab{std::wstring(fileio::WRITE_CHUNK_SIZE / 2, L'x') + L"\r\n", w(NEW_TAB)});
    return {memo, exampleMemo()};
}

}  // namespace

TEST_F(MemoFileOnDisk, SavedMemosLoadBack) {
    std::vector<StoredMemo> memos;
    EXPECT_EQ(load(memos), LoadResult::Missing);
    EXPECT_TRUE(memos.empty());
    ASSERT_TRUE(saveMemoFile(MEMO_FILE_NAME, largeMemos()));
    EXPECT_EQ(readFile(MEMO_FILE_NAME), formatMemos(largeMemos()));
    EXPECT_FALSE(fileExists(tempName_));
    EXPECT_EQ(load(memos), LoadResult::Loaded);
    EXPECT_EQ(memos, largeMemos());
}

TEST_F(MemoFileOnDisk, FolderOfThatNameIsUnreadableAndKept) {
    std::filesystem::create_directory(MEMO_FILE_NAME);
    std::vector<StoredMemo> memos;
    EXPECT_EQ(load(memos), LoadResult::Unreadable);
    EXPECT_TRUE(memos.empty());
    EXPECT_FALSE(saveMemoFile(MEMO_FILE_NAME, {exampleMemo()}));
    EXPECT_TRUE(std::filesystem::is_directory(MEMO_FILE_NAME));
    EXPECT_FALSE(fileExists(tempName_));
}

TEST_F(MemoFileOnDisk, ReadOnlyFileIsNotReplaced) {
    writeFile(MEMO_FILE_NAME, EXAMPLE_FILE);
    chmod(MEMO_FILE_NAME, 0444);
    EXPECT_FALSE(saveMemoFile(MEMO_FILE_NAME, largeMemos()));
    EXPECT_EQ(readFile(MEMO_FILE_NAME), EXAMPLE_FILE);
    EXPECT_FALSE(fileExists(tempName_));
}

// Every step of a save that can fail (creating the temporary file, each write,
// the flush, the close, the replace) is made to fail once; whatever was on disk
// before stays byte for byte, and no temporary file is left behind.
TEST_F(MemoFileOnDisk, FailureAtEveryStepKeepsTheOldFile) {
    const std::string newFile = formatMemos(largeMemos());
    const unsigned long writes = (newFile.size() + fileio::WRITE_CHUNK_SIZE - 1) / fileio::WRITE_CHUNK_SIZE;
    ASSERT_GE(writes, 3u);
    fileio::failStepForTest(0);
    ASSERT_TRUE(saveMemoFile(MEMO_FILE_NAME, largeMemos()));
    const unsigned long steps = fileio::stepsSinceFailStepForTest();
    EXPECT_EQ(steps, writes + 4);
    for (bool oldFileExists : {true, false}) {
        for (unsigned long step = 1; step <= steps; ++step) {
            std::filesystem::remove(MEMO_FILE_NAME);
            if (oldFileExists) writeFile(MEMO_FILE_NAME, EXAMPLE_FILE);
            writeFile(tempName_, "left by an earlier run");
            fileio::failStepForTest(step);
            EXPECT_FALSE(saveMemoFile(MEMO_FILE_NAME, largeMemos())) << step;
            fileio::failStepForTest(0);
            EXPECT_EQ(fileExists(MEMO_FILE_NAME), oldFileExists) << step;
            EXPECT_EQ(readFile(MEMO_FILE_NAME), oldFileExists ? EXAMPLE_FILE : "") << step;
            EXPECT_FALSE(fileExists(tempName_)) << step;
        }
    }
    ASSERT_TRUE(saveMemoFile(MEMO_FILE_NAME, largeMemos()));
    EXPECT_EQ(readFile(MEMO_FILE_NAME), newFile);
}
