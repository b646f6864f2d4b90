#include "store/Settings.h"
#include <array>
#include <optional>
#include "store/ColorKeys.h"
#include "store/FileIO.h"
#include "store/LineFormat.h"

const char* const SETTINGS_FILE_NAME = "Quillpad.ini";
const char* const HOTKEY_FILE_NAME = "key.ini";

std::vector<HotKeyEntry> GeneralSettings::defaultHotKeys() {
    return {{"全メモを最前面へ表示", 0x71, 4}, {"メモ追加", 0x2D, 6}};
}

// One holder's general settings and look, as the key table addresses them.
template <class General, class Look>
struct SettingsHalves {
    General& general;
    Look& look;
};

template <class G, class L, class T>
static auto& fieldOf(const SettingsHalves<G, L>& s, T GeneralSettings::*member) { return s.general.*member; }
template <class G, class L, class T>
static auto& fieldOf(const SettingsHalves<G, L>& s, T MemoLook::*member) { return s.look.*member; }

namespace {

using SettingsKey = lineformat::KeyField<bool GeneralSettings::*, bool MemoLook::*, int32_t GeneralSettings::*>;

// The seven lines of "Quillpad.ini" after its COLOR_KEYS, in the order they are written.
const std::array<SettingsKey, 7> SETTINGS_KEYS{{
    {"TEXT_SELECT_FLAG-", &GeneralSettings::TEXT_SELECT_FLAG},
    {"DEL_CHECK_FLAG-", &GeneralSettings::DEL_CHECK_FLAG},
    {"NOT_SHOW_TAB_FLAG-", &MemoLook::NOT_SHOW_TAB_FLAG},
    {"TAB_MODE_FLAG-", &GeneralSettings::TAB_MODE_FLAG},
    {"WORDWRAP_FLAG-", &MemoLook::WORDWRAP_FLAG},
    {"COMPACT_FLAG-", &MemoLook::COMPACT_FLAG},
    {"ABSORB-", &GeneralSettings::ABSORB},
}};

constexpr size_t HOT_KEY_COUNT = 2;

// One file as read: its status and, when Ok, its bytes.
struct FileReading {
    fileio::ReadStatus status = fileio::ReadStatus::Missing;
    std::string bytes;
};

struct Reading {
    FileReading settings, hotKeys;
};

int batchDepth = 0;
std::optional<Reading> batchReading;  // the first reading in the running batch

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
bool applyReading(const Reading& reading, GeneralSettings& general, MemoLook& look) {
    using fileio::ReadStatus;
    if (reading.settings.status == ReadStatus::Unreadable) return false;
    std::vector<HotKeyEntry> hotKeys = std::move(general.hotKeys);
    general = GeneralSettings();
    look = MemoLook();
    parseSettings(reading.settings.bytes, general, look);
    if (reading.hotKeys.status != ReadStatus::Unreadable) {
        parseHotKeys(reading.hotKeys.bytes, general.hotKeys);
        return true;
    }
    if (hotKeys.size() == HOT_KEY_COUNT) general.hotKeys = std::move(hotKeys);
    return false;
}

}  // namespace

void parseSettings(std::string_view text, GeneralSettings& general, MemoLook& look) {
    SettingsHalves<GeneralSettings, MemoLook> target{general, look};
    lineformat::forEachLine(text, [&](std::string_view line) {
        lineformat::readKeyLine(COLOR_KEYS, line, look.colors) || lineformat::readKeyLine(SETTINGS_KEYS, line, target);
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

std::string formatSettings(const GeneralSettings& general, const MemoLook& look) {
    std::string out;
    lineformat::appendKeyLines(out, COLOR_KEYS, look.colors);
    lineformat::appendKeyLines(out, SETTINGS_KEYS, SettingsHalves<const GeneralSettings, const MemoLook>{general, look});
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

bool loadSettings(GeneralSettings& general, MemoLook& look) {
    if (batchDepth == 0) return applyReading(readSettingsFiles(), general, look);
    if (!batchReading) batchReading = readSettingsFiles();
    return applyReading(*batchReading, general, look);
}

SettingsReadBatch::SettingsReadBatch() { ++batchDepth; }

SettingsReadBatch::~SettingsReadBatch() {
    if (--batchDepth == 0) batchReading.reset();
}

bool saveSettings(const GeneralSettings& general, const MemoLook& look) {
    return fileio::replaceFile(SETTINGS_FILE_NAME, formatSettings(general, look)) &&
           fileio::replaceFile(HOTKEY_FILE_NAME, formatHotKeys(general.hotKeys));
}
