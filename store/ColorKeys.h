// The four colour lines, which the data file and the settings file both write
// in this order, right after a memo's rectangle and at the top respectively.
#pragma once
#include <array>
#include "store/LineFormat.h"
#include "store/Settings.h"

inline constexpr std::array<lineformat::KeyField<uint32_t MemoColors::*>, 4> COLOR_KEYS{{
    {"BACK_CAPTION_COLOR-", &MemoColors::BACK_CAPTION_COLOR},
    {"TEXT_CAPTION_COLOR-", &MemoColors::TEXT_CAPTION_COLOR},
    {"BACK_MEMO_COLOR-", &MemoColors::BACK_MEMO_COLOR},
    {"TEXT_MEMO_COLOR-", &MemoColors::TEXT_MEMO_COLOR},
}};

// COLOR_KEYS read into and write from a MemoColors itself.
template <class Colors>
auto& fieldOf(Colors& colors, uint32_t MemoColors::*member) { return colors.*member; }
