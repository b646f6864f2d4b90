// A memo's caption strip (the static control 1004), framed inside its edge in
// its text colour while its memo is the active window: the keys' target shows
// without a colour of its own.
#pragma once
#include "win/Window.h"

class CCaptionStrip : public win::Window {
public:
    void setFramed(bool framed);

protected:
    const win::MessageTable* messageTable() const override;

private:
    void OnPaint();

    bool framed_ = false;
};
