// The application object: start-up through InitInstance, then the message loop
// until the main window ends it.
#pragma once

namespace win {

class Application {
public:
    Application() = default;
    virtual ~Application() = default;

    // True enters the message loop; false ends the program at once.
    virtual bool InitInstance() = 0;
    // InitInstance and the message loop; returns the process exit code.
    int run();
};

// The message loop, with IsDialogMessage for modeless dialogs; returns the
// exit code of WM_QUIT.
int runMessageLoop();

}  // namespace win
