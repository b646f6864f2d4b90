// The settings record and its two files, "Quillpad.ini" (text key lines, and
// the third hot key's) and "key.ini" (the first two hot keys, 8 bytes
// little-endian), both in the current directory.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One global hot key: `key` is a virtual-key code, `modifiers` the RegisterHotKey
// flags MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4.
struct HotKeyEntry {
    std::string name;
    uint16_t key = 0;
    uint16_t modifiers = 0;
};

// A memo's four colours (COLORREF 0x00BBGGRR), always in this order.
struct MemoColors {
    uint32_t BACK_CAPTION_COLOR = 0x00AA5500;
    uint32_t TEXT_CAPTION_COLOR = 0x00FFFFFF;
    uint32_t BACK_MEMO_COLOR = 0x00B3FDF8;
    uint32_t TEXT_MEMO_COLOR = 0x00000000;
    bool operator==(const MemoColors& o) const {
        return BACK_CAPTION_COLOR == o.BACK_CAPTION_COLOR && TEXT_CAPTION_COLOR == o.TEXT_CAPTION_COLOR &&
               BACK_MEMO_COLOR == o.BACK_MEMO_COLOR && TEXT_MEMO_COLOR == o.TEXT_MEMO_COLOR;
    }
};

// General half of the settings.
struct GeneralSettings {
    bool TEXT_SELECT_FLAG = true;
    bool DEL_CHECK_FLAG = true;
    bool TAB_MODE_FLAG = false;
    int32_t ABSORB = 20;
    std::vector<HotKeyEntry> hotKeys = defaultHotKeys();

    // Entry 0 "全メモを最前面へ表示" Shift+F2, entry 1 "メモ追加" Ctrl+Shift+Insert,
    // entry 2 "検索" none: any key would be one that other programs use.
    static std::vector<HotKeyEntry> defaultHotKeys();
};

// A memo's appearance: its four colours and four display flags. New memos take the
// settings' appearance whole.
struct MemoAppearance {
    MemoColors colors;
    bool NOT_SHOW_TAB_FLAG = false;
    bool WORDWRAP_FLAG = false;
    bool COMPACT_FLAG = false;
    bool NON_MOVE_FLAG = false;  // the settings file never holds it: loadSettings clears it with the others
    bool operator==(const MemoAppearance& o) const {
        return colors == o.colors && NOT_SHOW_TAB_FLAG == o.NOT_SHOW_TAB_FLAG && WORDWRAP_FLAG == o.WORDWRAP_FLAG &&
               COMPACT_FLAG == o.COMPACT_FLAG && NON_MOVE_FLAG == o.NON_MOVE_FLAG;
    }
};

struct AppSettings {
    GeneralSettings general;
    MemoAppearance appearance;
};

extern const char* const SETTINGS_FILE_NAME;  // "Quillpad.ini"
extern const char* const HOTKEY_FILE_NAME;    // "key.ini"

// Defaults first, then "Quillpad.ini", then "key.ini"; a missing file leaves
// the defaults of its fields, and "key.ini" is read only with a
// "Quillpad.ini". False when a file exists but could not be read, also after
// a second of trying again: the fields it holds then keep the values they had
// (all of them when "Quillpad.ini" could not be read, the hot keys when
// "key.ini" could not).
// Within a ReadBatch (base/ReadBatch.h) the files are read once.
bool loadSettings(GeneralSettings& general, MemoAppearance& appearance);

// Replaces "Quillpad.ini" and then "key.ini", each in one step: each file either
// keeps its old content or gets the whole new one. False when either could not
// be written; when "Quillpad.ini" fails, "key.ini" is not touched.
bool saveSettings(const GeneralSettings& general, const MemoAppearance& appearance);

// The two files' contents, without file access.
// Applies the key lines of "Quillpad.ini" to both (other lines change nothing).
// "FIND_HOTKEY-" is the third hot key: its key plus its modifiers times 65536.
void parseSettings(std::string_view text, GeneralSettings& general, MemoAppearance& appearance);
// Applies the bytes of "key.ini" to the first two entries: as far as the bytes
// reach, key then modifiers, 16-bit little-endian each; a field the bytes end
// in gets only its low byte replaced; bytes after the eighth are ignored.
void parseHotKeys(std::string_view bytes, std::vector<HotKeyEntry>& hotKeys);
// The eleven lines of "Quillpad.ini", and "FIND_HOTKEY-" while that key is set.
std::string formatSettings(const GeneralSettings& general, const MemoAppearance& appearance);
// The 8 bytes of "key.ini"; a missing entry is written with its default.
std::string formatHotKeys(const std::vector<HotKeyEntry>& hotKeys);
