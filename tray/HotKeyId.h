// Identifier under which a hot key is registered, unregistered and recognised.
#pragma once
#include "store/Settings.h"

inline int hotKeyId(const HotKeyEntry& entry) {
    return (entry.modifiers & 0xFF) * 256 + (entry.key & 0xFF);
}
