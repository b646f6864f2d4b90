#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include "dialogs/OptionValues.h"

namespace {

TEST(SnapWidthFromText, LeadingNumberAbsoluteAndSaturated) {
    struct Case {
        std::string text;
        int32_t width;
    } cases[] = {
        {"", 0},
        {"250", 250},  // the arrows stop at 100, typing does not
        {" -7", 7},
        {"\t+12", 12},
        {"abc", 0},
        {"12abc", 12},
        {"-", 0},
        {"- 5", 0},
        {"0042", 42},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"-2147483648", INT32_MAX},
        {"-2147483647", INT32_MAX},
        {"21474836470", INT32_MAX},
        {"12345678901234567890", INT32_MAX},
        {"99999999999999999999999999999999999999", INT32_MAX},
    };
    for (const Case& c : cases) EXPECT_EQ(snapWidthFromText(c.text), c.width) << '"' << c.text << '"';
}

// Modifiers: MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4. Control flags:
// HOTKEYF_SHIFT 1, HOTKEYF_CONTROL 2, HOTKEYF_ALT 4, HOTKEYF_EXT 8.
TEST(HotKeyControlValue, ModifiersBecomeTheControlsFlags) {
    struct Case {
        const char* name;
        uint16_t key, modifiers, value;
    } cases[] = {
        {"Shift+F2", 0x71, 0x4, 0x0171},
        {"Ctrl+Shift+Insert", 0x2D, 0x6, 0x0B2D},
        {"Alt+A", 0x41, 0x1, 0x0441},
        {"Ctrl+Alt+Shift+Insert", 0x2D, 0x7, 0x0F2D},
        {"Delete", 0x2E, 0, 0x082E},
        {"Ctrl+Page Up", 0x21, 0x2, 0x0A21},
        {"Down", 0x28, 0, 0x0828},
        {"keypad 0", 0x60, 0, 0x0060},
        {"Select, next to Down", 0x29, 0, 0x0029},
        {"no key", 0, 0, 0},
        {"high byte of the key", 0x1271, 0x4, 0x0171},
        {"MOD_WIN is not shown", 0x41, 0x8 | 0x2, 0x0241},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(hotKeyControlValue({"", c.key, c.modifiers}), c.value);
    }
}

// Modifiers alone (Shift+Tab out of the control) leave the entry as it was.
TEST(StoreHotKeyControlValue, FlagsBecomeModifiersWithoutExtended) {
    struct Case {
        const char* name;
        uint16_t value;
        bool stored;
        uint16_t key, modifiers, shown;  // shown: when loaded again
    } cases[] = {
        {"Ctrl+Alt+Shift+Insert", 0x072D, true, 0x2D, 0x7, 0x0F2D},
        {"Shift+F2", 0x0171, true, 0x71, 0x4, 0x0171},
        {"extended arrow key", 0x0825, true, 0x25, 0, 0x0825},
        {"Ctrl with extended Up", 0x0A26, true, 0x26, 0x2, 0x0A26},
        {"every flag bit", 0xFF41, true, 0x41, 0x7, 0x0741},
        {"empty control", 0, true, 0, 0, 0},
        {"Shift alone", 0x0100, false, 0x1234, 0xFFFF, 0x0734},
        {"Ctrl+Alt alone", 0x0600, false, 0x1234, 0xFFFF, 0x0734},
        {"extended flag alone", 0x0800, true, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HotKeyEntry entry{"メモ追加", 0x1234, 0xFFFF};
        EXPECT_EQ(storeHotKeyControlValue(c.value, entry), c.stored);
        EXPECT_EQ(entry.key, c.key);
        EXPECT_EQ(entry.modifiers, c.modifiers);
        EXPECT_EQ(entry.name, "メモ追加");
        EXPECT_EQ(hotKeyControlValue(entry), c.shown);
    }
}

TEST(SwitchedPage, CtrlTabAndCtrlPageKeysGoRoundThePages) {
    const uint32_t TAB = 0x09, PAGE_UP = 0x21, PAGE_DOWN = 0x22, LEFT = 0x25;
    struct Case {
        const char* name;
        uint32_t key;
        bool ctrl, shift;
        int current, page;
    } cases[] = {
        {"Ctrl+Tab", TAB, true, false, 0, 1},
        {"Ctrl+Tab from the last", TAB, true, false, 1, 0},
        {"Ctrl+Shift+Tab", TAB, true, true, 1, 0},
        {"Ctrl+Page Down", PAGE_DOWN, true, false, 0, 1},
        {"Ctrl+Shift+Page Down", PAGE_DOWN, true, true, 1, 0},
        {"Ctrl+Page Up from the first", PAGE_UP, true, false, 0, 1},
        {"Tab alone moves the focus", TAB, false, false, 0, -1},
        {"another key", LEFT, true, false, 0, -1},
        {"no tab selected", TAB, true, false, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(switchedPage(c.key, c.ctrl, c.shift, c.current, 2), c.page);
    }
}

}  // namespace

TEST(StartCommand, QuotedAndReadBack) {
    const std::wstring path = L"C:\\Program Files\\メモ\\Quillpad.exe";
    EXPECT_EQ(startCommand(path), L'"' + path + L'"');
    struct Row { const wchar_t* command; const wchar_t* program; } rows[] = {
        {L"\"C:\\Program Files\\メモ\\Quillpad.exe\"", L"C:\\Program Files\\メモ\\Quillpad.exe"},
        {L"  \"D:\\a b\\Quillpad.exe\" /min", L"D:\\a b\\Quillpad.exe"},
        {L"C:\\Tools\\Quillpad.exe /min", L"C:\\Tools\\Quillpad.exe"},
        {L"\"C:\\cut", L"C:\\cut"},
        {L"", L""},
    };
    for (const Row& r : rows) EXPECT_EQ(startedProgram(r.command), r.program) << r.program;
}
