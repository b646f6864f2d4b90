#include <windows.h>
#include "app/MemoApp.h"

static CMemoApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return theApp.run(); }
