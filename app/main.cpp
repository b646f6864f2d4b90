#include <windows.h>
#include "app/MemoApp.h"
#include "res/Texts.h"
#include "win/Application.h"

static CMemoApp theApp;

// Before anything else: user32, gdi32, shell32 and comdlg32 are bound at
// their first call (app/CMakeLists.txt), and they and what they load must come
// from the system folder only.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    win::startProcess(texts::UNEXPECTED_FAILURE);
    return theApp.run();
}
