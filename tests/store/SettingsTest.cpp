#include <gtest/gtest.h>
#include <functional>
#include "store/FileIO.h"
#include "store/Settings.h"
#include "base/ReadBatch.h"
#include "tests/store/TestFiles.h"

namespace {

const std::string DEFAULT_SETTINGS_FILE =
    "BACK_CAPTION_COLOR-11162880\r\nTEXT_CAPTION_COLOR-16777215\r\nBACK_MEMO_COLOR-11795960\r\nTEXT_MEMO_COLOR-0\r\n"
    "TEXT_SELECT_FLAG-1\r\nDEL_CHECK_FLAG-1\r\nNOT_SHOW_TAB_FLAG-0\r\nTAB_MODE_FLAG-0\r\nWORDWRAP_FLAG-0\r\n"
    "COMPACT_FLAG-0\r\nABSORB-20\r\n";
const std::string DEFAULT_HOTKEY_FILE("\x71\0\x04\0\x2D\0\x06\0", 8);

// Everything of both halves that the files carry, for comparisons.
std::string describe(const GeneralSettings& g, const MemoAppearance& c) {
    return formatSettings(g, c) + formatHotKeys(g.hotKeys) + (c.NON_MOVE_FLAG ? "+NON_MOVE" : "");
}

std::string loaded(bool expectedResult) {
    GeneralSettings g;
    MemoAppearance c;
    g.hotKeys.clear();
    c.NON_MOVE_FLAG = true;  // never stored: cleared by every load
    EXPECT_EQ(loadSettings(g, c), expectedResult);
    EXPECT_EQ(g.hotKeys.size(), 3u);
    return describe(g, c);
}

const std::string DEFAULTS = DEFAULT_SETTINGS_FILE + DEFAULT_HOTKEY_FILE;

class SettingsFiles : public InTempDir {};

}  // namespace

TEST(Settings, Defaults) {
    GeneralSettings g;
    MemoAppearance c;
    EXPECT_TRUE(g.TEXT_SELECT_FLAG && g.DEL_CHECK_FLAG);
    EXPECT_FALSE(g.TAB_MODE_FLAG || c.NOT_SHOW_TAB_FLAG || c.WORDWRAP_FLAG || c.COMPACT_FLAG || c.NON_MOVE_FLAG);
    EXPECT_EQ(g.ABSORB, 20);
    EXPECT_EQ(c.colors, (MemoColors{0x00AA5500, 0x00FFFFFF, 0x00B3FDF8, 0x00000000}));
    ASSERT_EQ(g.hotKeys.size(), 3u);
    EXPECT_EQ(g.hotKeys[0].name, "全メモを最前面へ表示");  // the native build keeps the source's UTF-8
    EXPECT_EQ(g.hotKeys[1].name, "メモ追加");
    EXPECT_EQ(formatSettings(g, c), DEFAULT_SETTINGS_FILE);
    EXPECT_EQ(formatHotKeys(g.hotKeys), DEFAULT_HOTKEY_FILE);
}

TEST(Settings, AppearancesDifferInEveryField) {
    std::function<void(MemoAppearance&)> changes[] = {
        [](MemoAppearance& l) { l.colors.BACK_CAPTION_COLOR = 1; }, [](MemoAppearance& l) { l.colors.TEXT_CAPTION_COLOR = 1; },
        [](MemoAppearance& l) { l.colors.BACK_MEMO_COLOR = 1; },    [](MemoAppearance& l) { l.colors.TEXT_MEMO_COLOR = 1; },
        [](MemoAppearance& l) { l.NOT_SHOW_TAB_FLAG = true; },      [](MemoAppearance& l) { l.WORDWRAP_FLAG = true; },
        [](MemoAppearance& l) { l.COMPACT_FLAG = true; },           [](MemoAppearance& l) { l.NON_MOVE_FLAG = true; },
    };
    for (size_t i = 0; i < std::size(changes); ++i) {
        MemoAppearance changed;
        changes[i](changed);
        EXPECT_FALSE(changed == MemoAppearance()) << "field " << i;
    }
}

TEST(Settings, KeyLines) {
    struct Case { const char* text; std::function<void(GeneralSettings&, MemoAppearance&)> change; } cases[] = {
        {"", [](GeneralSettings&, MemoAppearance&) {}},
        {"ABSORB--5", [](GeneralSettings& g, MemoAppearance&) { g.ABSORB = -5; }},
        {"ABSORB-1\nother line\nABSORB-7\r\n", [](GeneralSettings& g, MemoAppearance&) { g.ABSORB = 7; }},
        {"WORDWRAP_FLAG-2\nTEXT_SELECT_FLAG-\nDEL_CHECK_FLAG-0",
         [](GeneralSettings& g, MemoAppearance&) { g.TEXT_SELECT_FLAG = g.DEL_CHECK_FLAG = false; }},
        {"ABSORB-0\rWORDWRAP_FLAG-0\nWORDWRAP_FLAG- 1\nTAB_MODE_FLAG-1\nCOMPACT_FLAG-1\nNOT_SHOW_TAB_FLAG-1\nTEXT_MEMO_COLOR-4294967295\n"
         "BACK_MEMO_COLOR--1\nTEXT_CAPTION_COLOR-1\nBACK_CAPTION_COLOR-2\nNON_MOVE_FLAG-1\nRECT_TOP-5",
         [](GeneralSettings& g, MemoAppearance& c) {
             g.ABSORB = 0;
             c.WORDWRAP_FLAG = g.TAB_MODE_FLAG = c.COMPACT_FLAG = c.NOT_SHOW_TAB_FLAG = true;
             c.colors = {2, 1, 0xFFFFFFFF, 0xFFFFFFFF};
         }},
    };
    for (const Case& c : cases) {
        GeneralSettings g, expectedG;
        MemoAppearance s, expectedS;
        c.change(expectedG, expectedS);
        parseSettings(c.text, g, s);
        EXPECT_EQ(describe(g, s), describe(expectedG, expectedS)) << c.text;
    }
}

TEST(Settings, HotKeyFileOfAnyLength) {
    struct Case { std::string bytes; uint16_t k0, m0, k1, m1; } cases[] = {
        {"", 0x71, 4, 0x2D, 6},
        {"\x41", 0x41, 4, 0x2D, 6},
        {std::string("\x41\x12\x03", 3), 0x1241, 3, 0x2D, 6},  // a field the file ends in: low byte only
        {std::string("\x41\x12\x03\0", 4), 0x1241, 3, 0x2D, 6},
        {std::string("\x41\x12\x03\0\x46", 5), 0x1241, 3, 0x46, 6},
        {std::string("\x41\x12\x03\0\x46\0", 6), 0x1241, 3, 0x46, 6},
        {std::string("\x41\x12\x03\0\x46\0\x01\x02", 8), 0x1241, 3, 0x46, 0x0201},
        {std::string("\x41\x12\x03\0\x46\0\x01\x02\x09\x09\x09\x09", 12), 0x1241, 3, 0x46, 0x0201},
    };
    for (const Case& c : cases) {
        std::vector<HotKeyEntry> keys = GeneralSettings::defaultHotKeys();
        parseHotKeys(c.bytes, keys);
        EXPECT_EQ(std::vector<uint16_t>({keys[0].key, keys[0].modifiers, keys[1].key, keys[1].modifiers}),
                  std::vector<uint16_t>({c.k0, c.m0, c.k1, c.m1}))
            << c.bytes.size() << " bytes";
    }
}

TEST(Settings, HotKeyFileIsAlwaysTwoEntries) {
    std::vector<HotKeyEntry> three{{"a", 1, 2}, {"b", 0x1234, 0x5678}, {"c", 9, 9}};
    EXPECT_EQ(formatHotKeys(three), std::string("\x01\0\x02\0\x34\x12\x78\x56", 8));
    EXPECT_EQ(formatHotKeys({{"a", 1, 2}}), std::string("\x01\0\x02\0\x2D\0\x06\0", 8));
}

TEST_F(SettingsFiles, WithoutFilesEverythingIsDefault) {
    EXPECT_EQ(loaded(true), DEFAULTS);
    writeFile(HOTKEY_FILE_NAME, std::string("\x41\0\x01\0", 4));  // no "Quillpad.ini": not read
    EXPECT_EQ(loaded(true), DEFAULTS);
}

// A file that exists but cannot be read (a folder of its name) leaves the
// fields it holds as they were, also after a second of trying again.
TEST_F(SettingsFiles, UnreadableFileLeavesItsFieldsAsTheyWere) {
    GeneralSettings before, onDisk;
    MemoAppearance appearanceBefore;
    before.ABSORB = 5;
    before.hotKeys[0].key = 0x41;
    appearanceBefore.WORDWRAP_FLAG = true;
    onDisk.ABSORB = 9;
    GeneralSettings settingsRead = onDisk;
    settingsRead.hotKeys = before.hotKeys;
    const struct Case {
        const char* unreadable;
        std::string expected;
    } cases[] = {
        {SETTINGS_FILE_NAME, describe(before, appearanceBefore)},
        {HOTKEY_FILE_NAME, describe(settingsRead, MemoAppearance())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unreadable);
        ASSERT_TRUE(saveSettings(onDisk, MemoAppearance()));
        std::filesystem::remove(c.unreadable);
        std::filesystem::create_directory(c.unreadable);
        GeneralSettings g = before;
        MemoAppearance appearance = appearanceBefore;
        EXPECT_FALSE(loadSettings(g, appearance));
        EXPECT_EQ(describe(g, appearance), c.expected);
        std::filesystem::remove(c.unreadable);
    }
}

TEST_F(SettingsFiles, SaveWritesExactlyElevenLinesAndEightBytes) {
    GeneralSettings g;
    MemoAppearance c;
    ASSERT_TRUE(saveSettings(g, c));
    EXPECT_EQ(readFile(SETTINGS_FILE_NAME), DEFAULT_SETTINGS_FILE);
    EXPECT_EQ(readFile(HOTKEY_FILE_NAME), DEFAULT_HOTKEY_FILE);
    EXPECT_EQ(loaded(true), DEFAULTS);

    g.ABSORB = -3;
    g.hotKeys[1] = {"", 0x41, 3};
    c.COMPACT_FLAG = true;  // set by hand in the file, carried through by the options dialog
    c.colors.TEXT_MEMO_COLOR = 0xFFFFFFFF;
    ASSERT_TRUE(saveSettings(g, c));
    EXPECT_EQ(loaded(true), describe(g, c));

    std::filesystem::remove(HOTKEY_FILE_NAME);  // the text file's values, default hot keys
    g.hotKeys = GeneralSettings::defaultHotKeys();
    EXPECT_EQ(loaded(true), describe(g, c));
}

// Every step of a save that can fail is made to fail once: "Quillpad.ini" is
// replaced whole or not at all, and "key.ini" is not touched when it was not.
TEST_F(SettingsFiles, FailedSaveKeepsTheOldFiles) {
    GeneralSettings g;
    MemoAppearance c;
    ASSERT_TRUE(saveSettings(g, c));
    g.ABSORB = 99;
    g.hotKeys[0].key = 0x42;
    fileio::failStepForTest(0);
    ASSERT_TRUE(saveSettings(g, c));
    const unsigned long steps = fileio::stepsSinceFailStepForTest();
    const unsigned long settingsSteps = steps / 2;  // both files take the same steps
    const std::string newSettings = formatSettings(g, c);
    for (unsigned long step = 1; step <= steps; ++step) {
        ASSERT_TRUE(saveSettings(GeneralSettings(), MemoAppearance()));
        fileio::failStepForTest(step);
        EXPECT_FALSE(saveSettings(g, c)) << step;
        EXPECT_EQ(readFile(SETTINGS_FILE_NAME), step <= settingsSteps ? DEFAULT_SETTINGS_FILE : newSettings) << step;
        EXPECT_EQ(readFile(HOTKEY_FILE_NAME), DEFAULT_HOTKEY_FILE) << step;
        EXPECT_FALSE(fileExists(std::string(SETTINGS_FILE_NAME) + ".tmp") || fileExists(std::string(HOTKEY_FILE_NAME) + ".tmp"));
        fileio::failStepForTest(0);
    }
}

// A batch answers from its first reading until the outermost batch ends.
TEST_F(SettingsFiles, BatchReadsTheFilesOnce) {
    GeneralSettings g;
    MemoAppearance appearance;
    g.ABSORB = 5;
    appearance.WORDWRAP_FLAG = true;
    {
        ReadBatch batch;
        EXPECT_EQ(loaded(true), DEFAULTS);
        ASSERT_TRUE(saveSettings(g, appearance));
        {
            ReadBatch inner;
            EXPECT_EQ(loaded(true), DEFAULTS);
        }
        EXPECT_EQ(loaded(true), DEFAULTS);
    }
    EXPECT_EQ(loaded(true), describe(g, appearance));
    {
        ReadBatch batch;
        EXPECT_EQ(loaded(true), describe(g, appearance));
        std::filesystem::remove(SETTINGS_FILE_NAME);
        EXPECT_EQ(loaded(true), describe(g, appearance));
    }
    EXPECT_EQ(loaded(true), DEFAULTS);
}

// The third hot key has a line of "Quillpad.ini" while it is set (the
// defaults write none); "key.ini" keeps the two keys of the previous version.
TEST(Settings, FindHotKeyHasALineWhileSet) {
    GeneralSettings g, read;
    MemoAppearance c;
    g.hotKeys[2] = {"", 0x46, 6};  // Ctrl+Shift+F
    parseSettings(formatSettings(g, c), read, c);
    EXPECT_EQ(formatSettings(g, c), DEFAULT_SETTINGS_FILE + "FIND_HOTKEY-393286\r\n");
    EXPECT_EQ(formatHotKeys(g.hotKeys), DEFAULT_HOTKEY_FILE);
    EXPECT_EQ(read.hotKeys[2].key | read.hotKeys[2].modifiers << 16, 0x60046);
}
