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

// A settings file held by another program is waited for briefly; every memo
// window reads the settings when it is created, so not for long.
constexpr unsigned READ_PATIENCE_MS = 200;

// The first reading of the files in the running batch.
struct Reading {
    GeneralSettings general;
    MemoLook look;
    bool result;
};

int batchDepth = 0;
std::optional<Reading> batchReading;

bool readSettingsFiles(GeneralSettings& general, MemoLook& look) {
    general = GeneralSettings();
    look = MemoLook();
    std::string data;
    if (fileio::readWholeFile(SETTINGS_FILE_NAME, data, READ_PATIENCE_MS) != fileio::ReadStatus::Ok) return false;
    parseSettings(data, general, look);
    if (fileio::readWholeFile(HOTKEY_FILE_NAME, data, READ_PATIENCE_MS) != fileio::ReadStatus::Ok) return false;
    parseHotKeys(data, general.hotKeys);
    return true;
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
    if (batchDepth == 0) return readSettingsFiles(general, look);
    if (!batchReading) {
        Reading first;
        first.result = readSettingsFiles(first.general, first.look);
        batchReading = std::move(first);
    }
    general = batchReading->general;
    look = batchReading->look;
    return batchReading->result;
}

SettingsReadBatch::SettingsReadBatch() { ++batchDepth; }

SettingsReadBatch::~SettingsReadBatch() {
    if (--batchDepth == 0) batchReading.reset();
}

bool saveSettings(const GeneralSettings& general, const MemoLook& look) {
    return fileio::replaceFile(SETTINGS_FILE_NAME, formatSettings(general, look)) &&
           fileio::replaceFile(HOTKEY_FILE_NAME, formatHotKeys(general.hotKeys));
}
