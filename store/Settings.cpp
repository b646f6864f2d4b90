#include "store/Settings.h"
#include <array>
#include "store/FileIO.h"
#include "store/LineFormat.h"

const char* const SETTINGS_FILE_NAME = "Quillpad.ini";
const char* const HOTKEY_FILE_NAME = "key.ini";

std::vector<HotKeyEntry> GeneralSettings::defaultHotKeys() {
    return {{"全メモを最前面へ表示", 0x71, 4}, {"メモ追加", 0x2D, 6}};
}

// Both halves of one holder's settings, as the key table addresses them.
template <class General, class Colors>
struct SettingsHalves {
    General& general;
    Colors& colors;
};

template <class G, class C, class T>
static auto& fieldOf(const SettingsHalves<G, C>& s, T GeneralSettings::*member) { return s.general.*member; }
template <class G, class C, class T>
static auto& fieldOf(const SettingsHalves<G, C>& s, T ColorSettings::*member) { return s.colors.*member; }
template <class G, class C, class T>
static auto& fieldOf(const SettingsHalves<G, C>& s, T MemoColors::*member) { return s.colors.colors.*member; }

namespace {

using SettingsKey = lineformat::KeyField<uint32_t MemoColors::*, bool GeneralSettings::*, bool ColorSettings::*,
                                         int32_t GeneralSettings::*>;

// The eleven lines of "Quillpad.ini", in the order they are written.
const std::array<SettingsKey, 11> SETTINGS_KEYS{{
    {"BACK_CAPTION_COLOR-", &MemoColors::BACK_CAPTION_COLOR},
    {"TEXT_CAPTION_COLOR-", &MemoColors::TEXT_CAPTION_COLOR},
    {"BACK_MEMO_COLOR-", &MemoColors::BACK_MEMO_COLOR},
    {"TEXT_MEMO_COLOR-", &MemoColors::TEXT_MEMO_COLOR},
    {"TEXT_SELECT_FLAG-", &GeneralSettings::TEXT_SELECT_FLAG},
    {"DEL_CHECK_FLAG-", &GeneralSettings::DEL_CHECK_FLAG},
    {"NOT_SHOW_TAB_FLAG-", &ColorSettings::NOT_SHOW_TAB_FLAG},
    {"TAB_MODE_FLAG-", &GeneralSettings::TAB_MODE_FLAG},
    {"WORDWRAP_FLAG-", &ColorSettings::WORDWRAP_FLAG},
    {"COMPACT_FLAG-", &ColorSettings::COMPACT_FLAG},
    {"ABSORB-", &GeneralSettings::ABSORB},
}};

constexpr size_t HOT_KEY_COUNT = 2;

// A settings file held by another program is waited for briefly; every memo
// window reads the settings when it is created, so not for long.
constexpr unsigned READ_PATIENCE_MS = 200;

}  // namespace

void parseSettings(std::string_view text, GeneralSettings& general, ColorSettings& colors) {
    SettingsHalves<GeneralSettings, ColorSettings> target{general, colors};
    lineformat::forEachLine(text, [&](std::string_view line) { lineformat::readKeyLine(SETTINGS_KEYS, line, target); });
}

void parseHotKeys(std::string_view bytes, std::vector<HotKeyEntry>& hotKeys) {
    size_t pos = 0;
    for (size_t i = 0; i < HOT_KEY_COUNT && i < hotKeys.size(); ++i) {
        for (uint16_t* field : {&hotKeys[i].key, &hotKeys[i].modifiers}) {
            if (pos >= bytes.size()) return;
            uint16_t low = uint8_t(bytes[pos++]);
            *field = pos < bytes.size() ? uint16_t(low | uint8_t(bytes[pos++]) << 8) : uint16_t((*field & 0xFF00) | low);
        }
    }
}

std::string formatSettings(const GeneralSettings& general, const ColorSettings& colors) {
    std::string out;
    lineformat::appendKeyLines(out, SETTINGS_KEYS, SettingsHalves<const GeneralSettings, const ColorSettings>{general, colors});
    return out;
}

std::string formatHotKeys(const std::vector<HotKeyEntry>& hotKeys) {
    const std::vector<HotKeyEntry> defaults = GeneralSettings::defaultHotKeys();
    std::string out;
    for (size_t i = 0; i < HOT_KEY_COUNT; ++i) {
        const HotKeyEntry& e = i < hotKeys.size() ? hotKeys[i] : defaults[i];
        for (uint16_t field : {e.key, e.modifiers}) {
            out += char(field & 0xFF);
            out += char(field >> 8);
        }
    }
    return out;
}

bool loadSettings(GeneralSettings& general, ColorSettings& colors) {
    general = GeneralSettings();
    colors = ColorSettings();
    std::string data;
    if (fileio::readWholeFile(SETTINGS_FILE_NAME, data, READ_PATIENCE_MS) != fileio::ReadStatus::Ok) return false;
    parseSettings(data, general, colors);
    if (fileio::readWholeFile(HOTKEY_FILE_NAME, data, READ_PATIENCE_MS) != fileio::ReadStatus::Ok) return false;
    parseHotKeys(data, general.hotKeys);
    return true;
}

bool saveSettings(const GeneralSettings& general, const ColorSettings& colors) {
    return fileio::replaceFile(SETTINGS_FILE_NAME, formatSettings(general, colors)) &&
           fileio::replaceFile(HOTKEY_FILE_NAME, formatHotKeys(general.hotKeys));
}
