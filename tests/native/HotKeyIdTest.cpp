#include <gtest/gtest.h>
#include "tray/HotKeyId.h"

TEST(HotKeyId, DefaultsAndHighBytesDropped) {
    struct Case { uint16_t key, modifiers; int id; } cases[] = {
        {0x71, 4, 0x0471},      // Shift+F2
        {0x2D, 6, 0x062D},      // Ctrl+Shift+Insert
        {0x1271, 0x3404, 0x0471},  // only the low byte of each field counts
        {0, 0, 0},
        {0xFF, 0xFF, 0xFFFF},
    };
    for (const Case& c : cases) {
        HotKeyEntry e{"", c.key, c.modifiers};
        EXPECT_EQ(hotKeyId(e), c.id) << std::hex << c.key << " " << c.modifiers;
    }
}

TEST(HotKeyId, DefaultEntriesAreDistinct) {
    auto keys = GeneralSettings::defaultHotKeys();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(hotKeyId(keys[0]), 0x0471);
    EXPECT_EQ(hotKeyId(keys[1]), 0x062D);
}
