#include "win/MessageBox.h"
#include "win/Controls.h"
#include "win/Failure.h"

namespace win {

std::string appDisplayName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    // The path is Shift-JIS: scan by characters so that a trail byte equal to
    // '\\' is not taken for a separator.
    const char* base = path;
    const char* dot = nullptr;
    for (const char* p = path; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/' || *p == ':') {
            base = p + 1;
            dot = nullptr;
        } else if (*p == '.') {
            dot = p;
        }
    }
    return dot ? std::string(base, dot) : std::string(base);
}

int showMessage(const std::wstring& text, UINT type, HWND owner) {
    return MessageBoxW(owner, text.c_str(), widen(appDisplayName().c_str()).c_str(), type);
}

int showMessage(const char* text, UINT type, HWND owner) { return showMessage(widen(text), type, owner); }

namespace {
bool failureShown = false;
const char* failureText = "";
}  // namespace

void setFailureText(const char* text) { failureText = text; }

bool failing() { return failureShown; }

[[noreturn]] void failUnexpected(const char* operation) {
    if (failureShown) ExitProcess(0);
    failureShown = true;
    std::string text = operation ? std::string(operation) + " " : std::string();
    text += failureText;
    showWarning(text.c_str());
    ExitProcess(0);
}

}  // namespace win
