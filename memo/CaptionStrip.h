// A memo's caption strip (the static control 1004), framed inside its edge in
// its text colour while its memo is the active window: the keys' target shows
// without a colour of its own. A memo with a reminder shows a clock at its
// right end; a due one flashes in the alarm colour.
#pragma once
#include "win/Window.h"

class CCaptionStrip : public win::Window {
public:
    enum class Clock { None, Set, Due };

    void setFramed(bool framed);
    void setClock(Clock clock);
    // Lit: painted in the alarm colour (one phase of the flashing).
    void setLit(bool lit);

protected:
    const win::MessageTable* messageTable() const override;

private:
    void OnPaint();
    void paintClock(HDC dc, const RECT& strip, COLORREF color) const;

    bool framed_ = false;
    bool lit_ = false;
    Clock clock_ = Clock::None;
};
