#include "win/SplitTemplate.h"
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include "win/Dialog.h"

namespace win {

namespace {

using Bytes = const unsigned char*;

WORD word(Bytes p) {
    WORD w;
    std::memcpy(&w, p, sizeof w);
    return w;
}
DWORD dword(Bytes p) {
    DWORD d;
    std::memcpy(&d, p, sizeof d);
    return d;
}
short shortAt(Bytes p) { return static_cast<short>(word(p)); }
Bytes alignToDword(Bytes start, Bytes p) { return start + ((p - start + 3) & ~3); }

// A name or number of the template (a class, a title): a number after 0xFFFF,
// or a string of UTF-16 units ending with a 0; answers the text and moves p
// past it.
std::wstring nameOrNumber(Bytes& p) {
    if (word(p) == 0xFFFF) {
        WORD number = word(p + 2);
        p += 4;
        static const wchar_t* const classes[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
        if (number >= 0x80 && number <= 0x85) return classes[number - 0x80];
        return L"#" + std::to_wstring(number);
    }
    std::wstring text;
    for (; word(p) != 0; p += 2) text += static_cast<wchar_t>(word(p));
    p += 2;
    return text;
}

}  // namespace

SplitTemplate::SplitTemplate(UINT templateId, std::initializer_list<int> laterIds, std::initializer_list<int> ownIds)
    : own_(ownIds) {
    const auto* start = reinterpret_cast<Bytes>(dialogResource(templateId));
    if (!start || word(start) != 1 || word(start + 2) != 0xFFFF) throw std::runtime_error("dialog template");
    // The extended header: version, signature, help id, extended style,
    // style, item count, x, y, cx, cy; then menu, class, title and the font.
    const DWORD dialogStyle = dword(start + 12);
    const WORD count = word(start + 16);
    Bytes p = start + 26;
    nameOrNumber(p);  // menu
    nameOrNumber(p);  // class
    nameOrNumber(p);  // title
    if (dialogStyle & (DS_SETFONT | DS_SHELLFONT)) {
        p += 6;  // point size, weight, italic, character set
        nameOrNumber(p);
    }
    std::vector<unsigned char> kept(start, p);
    WORD keptCount = 0;
    for (WORD i = 0; i < count; ++i) {
        // An item: help id, extended style, style, x, y, cx, cy, id; class,
        // title and the creation data with its size in front.
        p = alignToDword(start, p);
        Bytes item = p;
        Control c;
        c.exStyle = dword(item + 4);
        c.style = dword(item + 8);
        c.units = {shortAt(item + 12), shortAt(item + 14), shortAt(item + 12) + shortAt(item + 16),
                   shortAt(item + 14) + shortAt(item + 18)};
        c.id = static_cast<int>(dword(item + 20));
        p = item + 24;
        c.className = nameOrNumber(p);
        c.text = nameOrNumber(p);
        p += 2 + word(p);
        if (std::find(laterIds.begin(), laterIds.end(), c.id) != laterIds.end() ||
            std::find(ownIds.begin(), ownIds.end(), c.id) != ownIds.end()) {
            later_.push_back(c);
        } else {
            kept.resize((kept.size() + 3) & ~size_t(3));
            kept.insert(kept.end(), item, p);
            ++keptCount;
        }
    }
    std::memcpy(&kept[16], &keptCount, sizeof keptCount);
    bytes_.resize((kept.size() + 3) / 4);
    std::memcpy(bytes_.data(), kept.data(), kept.size());
}

bool SplitTemplate::createLater(HWND dialog) const {
    for (const Control& c : later_) {
        if (std::find(own_.begin(), own_.end(), c.id) == own_.end() && !create(dialog, c)) return false;
    }
    return true;
}

HWND SplitTemplate::createOne(HWND dialog, int id) const {
    for (const Control& c : later_) {
        if (c.id == id) return create(dialog, c);
    }
    return nullptr;
}

HWND SplitTemplate::create(HWND dialog, const Control& c) {
    RECT r = c.units;
    MapDialogRect(dialog, &r);
    // Unicode controls, as the dialog's own: the edit controls among them take any character.
    HWND control = CreateWindowExW(c.exStyle | WS_EX_NOPARENTNOTIFY, c.className.c_str(), c.text.c_str(),
                                   c.style | WS_CHILD, r.left, r.top, r.right - r.left, r.bottom - r.top, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), GetModuleHandleA(nullptr),
                                   nullptr);
    if (!control) return nullptr;
    SendMessageA(control, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
    if (c.className == L"Button" && (c.style & 0x0F) == BS_DEFPUSHBUTTON) SendMessageA(dialog, DM_SETDEFID, c.id, 0);
    return control;
}

RECT SplitTemplate::laterRect(HWND dialog, int id) const {
    for (const Control& c : later_) {
        if (c.id != id) continue;
        RECT r = c.units;
        MapDialogRect(dialog, &r);
        return r;
    }
    return {};
}

DWORD SplitTemplate::laterExStyle(int id) const {
    for (const Control& c : later_) {
        if (c.id == id) return c.exStyle;
    }
    return 0;
}

}  // namespace win
