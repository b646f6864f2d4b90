// The settings readers on any bytes, and what they read written and read back.
// The first byte says how many of the last bytes are "key.ini", the rest
// between them is "Quillpad.ini".
#include <cstdlib>
#include "store/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    size_t keyBytes = std::min<size_t>(data[0] % 16, rest.size());
    GeneralSettings general;
    MemoAppearance appearance;
    parseSettings(rest.substr(0, rest.size() - keyBytes), general, appearance);
    parseHotKeys(rest.substr(rest.size() - keyBytes), general.hotKeys);
    if (general.hotKeys.size() != 3) std::abort();

    std::string settingsFile = formatSettings(general, appearance), hotKeyFile = formatHotKeys(general.hotKeys);
    GeneralSettings general2;
    MemoAppearance appearance2;
    parseSettings(settingsFile, general2, appearance2);
    parseHotKeys(hotKeyFile, general2.hotKeys);
    if (hotKeyFile.size() != 8 || formatSettings(general2, appearance2) != settingsFile ||
        formatHotKeys(general2.hotKeys) != hotKeyFile) {
        std::abort();
    }
    return 0;
}
