#include "store/Settings.h"
#include "base/ReadBatch.h"
#include <algorithm>
#include <array>
#include <optional>
#include "store/ColorKeys.h"
#include "store/FileIO.h"
#include "store/LineFormat.h"

const char* const SETTINGS_FILE_NAME = "Quillpad.ini";
const char* const HOTKEY_FILE_NAME = "key.ini";

std::vector<HotKeyEntry> GeneralSettings::defaultHotKeys() {
    return {{"全メモを最前面へ表示", 0x71, 4}, {"メモ追加", 0x2D, 6}, {"検索", 0, 0}};
}

// One holder's general settings and appearance, as the key table addresses them.
template <class General, class Appearance>
struct SettingsHalves {
    General& general;
    Appearance& appearance;
};

template <class G, class L, class T>
static auto& fieldOf(const SettingsHalves<G, L>& s, T GeneralSettings::*member) { return s.general.*member; }
template <class G, class L, class T>
static auto& fieldOf(const SettingsHalves<G, L>& s, T MemoAppearance::*member) { return s.appearance.*member; }

namespace {

using SettingsKey = lineformat::KeyField<bool GeneralSettings::*, bool MemoAppearance::*, int32_t GeneralSettings::*>;

// The seven lines of "Quillpad.ini" after its COLOR_KEYS, in the order they are written.
const std::array<SettingsKey, 7> SETTINGS_KEYS{{
    {"TEXT_SELECT_FLAG-", &GeneralSettings::TEXT_SELECT_FLAG},
    {"DEL_CHECK_FLAG-", &GeneralSettings::DEL_CHECK_FLAG},
    {"NOT_SHOW_TAB_FLAG-", &MemoAppearance::NOT_SHOW_TAB_FLAG},
    {"TAB_MODE_FLAG-", &GeneralSettings::TAB_MODE_FLAG},
    {"WORDWRAP_FLAG-", &MemoAppearance::WORDWRAP_FLAG},
    {"COMPACT_FLAG-", &MemoAppearance::COMPACT_FLAG},
    {"ABSORB-", &GeneralSettings::ABSORB},
}};

// The hot keys of "key.ini".
constexpr size_t HOT_KEY_COUNT = 2;

// The third hot key has a line of its own: the previous version reads 8
// bytes of "key.ini" and passes over key lines it does not know. The line is
// written only while a key is set, so that a file without one is that
// version's, byte for byte.
constexpr size_t FIND_HOT_KEY = 2;
constexpr std::string_view FIND_HOT_KEY_LINE = "FIND_HOTKEY-";

// One file as read: its status and, when Ok, its bytes.
struct FileReading {
    fileio::ReadStatus status = fileio::ReadStatus::Missing;
    std::string bytes;
};

struct Reading {
    FileReading settings, hotKeys;
};

ReadBatch::Once<Reading> settingsReading;

FileReading readFile(const char* fileName) {
    FileReading file;
    file.status = fileio::readWholeFile(fileName, file.bytes, fileio::HELD_FILE_PATIENCE_MS);
    return file;
}

Reading readSettingsFiles() {
    Reading reading;
    reading.settings = readFile(SETTINGS_FILE_NAME);
    // Without a "Quillpad.ini" the hot-key file is not read.
    if (reading.settings.status == fileio::ReadStatus::Ok) reading.hotKeys = readFile(HOTKEY_FILE_NAME);
    return reading;
}

// A file that exists but could not be read leaves the fields it holds as the
// holder had them: defaults in their place would be taken for the user's
// settings, and an OK of the options would write them over the file.
bool applyReading(const Reading& reading, GeneralSettings& general, MemoAppearance& appearance) {
    using fileio::ReadStatus;
    if (reading.settings.status == ReadStatus::Unreadable) return false;
    std::vector<HotKeyEntry> hotKeys = std::move(general.hotKeys);
    general = GeneralSettings();
    appearance = MemoAppearance();
    parseSettings(reading.settings.bytes, general, appearance);
    if (reading.hotKeys.status != ReadStatus::Unreadable) {
        parseHotKeys(reading.hotKeys.bytes, general.hotKeys);
        return true;
    }
    if (hotKeys.size() >= HOT_KEY_COUNT) std::copy_n(hotKeys.begin(), HOT_KEY_COUNT, general.hotKeys.begin());
    return false;
}

}  // namespace

void parseSettings(std::string_view text, GeneralSettings& general, MemoAppearance& appearance) {
    SettingsHalves<GeneralSettings, MemoAppearance> target{general, appearance};
    lineformat::forEachLine(text, [&](std::string_view line) {
        if (lineformat::startsWith(line, FIND_HOT_KEY_LINE) && general.hotKeys.size() > FIND_HOT_KEY) {
            const uint32_t value = lineformat::parseNumber(line.substr(FIND_HOT_KEY_LINE.size()));
            general.hotKeys[FIND_HOT_KEY].key = uint16_t(value);
            general.hotKeys[FIND_HOT_KEY].modifiers = uint16_t(value >> 16);
            return;
        }
        lineformat::readKeyLine(COLOR_KEYS, line, appearance.colors) || lineformat::readKeyLine(SETTINGS_KEYS, line, target);
    });
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

std::string formatSettings(const GeneralSettings& general, const MemoAppearance& appearance) {
    std::string out;
    lineformat::appendKeyLines(out, COLOR_KEYS, appearance.colors);
    lineformat::appendKeyLines(out, SETTINGS_KEYS, SettingsHalves<const GeneralSettings, const MemoAppearance>{general, appearance});
    if (general.hotKeys.size() > FIND_HOT_KEY) {
        const HotKeyEntry& find = general.hotKeys[FIND_HOT_KEY];
        if (const uint32_t value = find.key | uint32_t(find.modifiers) << 16) {
            out += FIND_HOT_KEY_LINE;
            lineformat::appendValue(out, value);
            out += "\r\n";
        }
    }
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

bool loadSettings(GeneralSettings& general, MemoAppearance& appearance) {
    return applyReading(settingsReading.get(readSettingsFiles), general, appearance);
}

bool saveSettings(const GeneralSettings& general, const MemoAppearance& appearance) {
    return fileio::replaceFile(SETTINGS_FILE_NAME, formatSettings(general, appearance)) &&
           fileio::replaceFile(HOTKEY_FILE_NAME, formatHotKeys(general.hotKeys));
}
