// Unexpected failures: every handler boundary ends up here. The user is told,
// and the process ends at once with exit code 0; nothing is saved on that road.
#pragma once

namespace win {

// The text of the failure message, set once at start by the program.
void setFailureText(const char* text);

// Shows the failure text (prefixed with `operation` and a blank when given)
// with the exclamation icon, then ends the process with exit code 0. A
// failure while that message is up ends the process at once.
[[noreturn]] void failUnexpected(const char* operation);

// True while the failure message is up: its message loop still delivers our
// windows' messages, and none of our handlers may run then (no save, no
// second failure), only the default processing.
bool failing();

// Runs `f`; any exception escaping it ends the process through failUnexpected.
template <class F>
auto guarded(const char* operation, F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (...) {
        failUnexpected(operation);
    }
}

}  // namespace win
