#include "store/Settings.h"

const char* const SETTINGS_FILE_NAME = "Quillpad.ini";
const char* const HOTKEY_FILE_NAME = "key.ini";

std::vector<HotKeyEntry> GeneralSettings::defaultHotKeys() {
    return {{"全メモを最前面へ表示", 0x71, 4}, {"メモ追加", 0x2D, 6}};
}

bool loadSettings(GeneralSettings& general, ColorSettings& colors) {
    general = GeneralSettings();
    colors = ColorSettings();
    return false;
}

bool saveSettings(const GeneralSettings&, const ColorSettings&) { return false; }
