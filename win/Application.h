// The application object: start-up through InitInstance, then the message loop
// until the main window is destroyed.
#pragma once

namespace win {

class Window;

class Application {
public:
    Application();
    virtual ~Application();

    static Application* instance();

    // True enters the message loop; false ends the program at once.
    virtual bool InitInstance() = 0;
    // InitInstance and the message loop; returns the process exit code.
    int run();

    Window* mainWindow = nullptr;
};

// The message loop, with IsDialogMessage for modeless dialogs; returns the
// exit code of WM_QUIT.
int runMessageLoop();

}  // namespace win
