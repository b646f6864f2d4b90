#include "dialogs/OptionValues.h"
#include <algorithm>
#include <iterator>
#include "store/LineFormat.h"

namespace {

// A RegisterHotKey modifier and the hot-key control's flag for the same key.
struct ModifierFlag {
    uint16_t modifier;
    uint8_t flag;
};
constexpr ModifierFlag MODIFIER_FLAGS[] = {
    {0x0001, 0x04},  // MOD_ALT, HOTKEYF_ALT
    {0x0002, 0x02},  // MOD_CONTROL, HOTKEYF_CONTROL
    {0x0004, 0x01},  // MOD_SHIFT, HOTKEYF_SHIFT
};

const uint8_t HOTKEYF_EXT = 0x08;
// Page Up, Page Down, End, Home, the four arrows, Insert and Delete.
constexpr uint8_t EXTENDED_KEYS[] = {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E};

}  // namespace

int32_t snapWidthFromText(std::string_view text) {
    // The sign only asks for the absolute value, so the magnitude is all that
    // counts; 2147483648 saturates as well.
    int32_t value = 0;
    for (char digit : lineformat::scanNumber(text).digits) {
        int32_t d = digit - '0';
        if (value > (INT32_MAX - d) / 10) return INT32_MAX;
        value = value * 10 + d;
    }
    return value;
}

uint16_t hotKeyControlValue(const HotKeyEntry& entry) {
    uint8_t flags = 0;
    for (const ModifierFlag& m : MODIFIER_FLAGS) {
        if (entry.modifiers & m.modifier) flags |= m.flag;
    }
    uint8_t key = entry.key & 0xFF;
    if (std::find(std::begin(EXTENDED_KEYS), std::end(EXTENDED_KEYS), key) != std::end(EXTENDED_KEYS)) {
        flags |= HOTKEYF_EXT;
    }
    return uint16_t(flags << 8 | key);
}

bool storeHotKeyControlValue(uint16_t value, HotKeyEntry& entry) {
    uint8_t key = value & 0xFF;
    uint16_t modifiers = 0;
    for (const ModifierFlag& m : MODIFIER_FLAGS) {
        if ((value >> 8) & m.flag) modifiers |= m.modifier;
    }
    if (key == 0 && modifiers != 0) return false;
    entry.key = key;
    entry.modifiers = modifiers;
    return true;
}

int switchedPage(uint32_t virtualKey, bool ctrl, bool shift, int current, int count) {
    const uint32_t TAB = 0x09, PAGE_UP = 0x21, PAGE_DOWN = 0x22;
    if (!ctrl || count <= 0) return -1;
    int step = 0;
    if (virtualKey == TAB) step = shift ? -1 : 1;
    if (virtualKey == PAGE_DOWN) step = 1;
    if (virtualKey == PAGE_UP) step = -1;
    if (step == 0) return -1;
    return ((current + step) % count + count) % count;
}

std::wstring startCommand(const std::wstring& path) { return L'"' + path + L'"'; }

std::wstring startedProgram(const std::wstring& command) {
    const size_t start = command.find_first_not_of(L' ');
    if (start == std::wstring::npos) return std::wstring();
    if (command[start] == L'"') return command.substr(start + 1, command.find(L'"', start + 1) - start - 1);
    return command.substr(start, command.find(L' ', start) - start);
}
