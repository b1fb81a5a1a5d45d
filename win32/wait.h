// How the layers below the window wait: through the wait they are given. The program's entry point
// hands them the one that keeps the window painting (WaitKeepingWindowsPainted); by default they
// wait plainly.
#pragma once
#include <windows.h>

#include <functional>

namespace win32 {

// Waits until `done` returns true or `milliseconds` pass; `done` is asked at the start, then at
// least every `slice` milliseconds and whenever `object` (if any) is signalled. False only when
// the program is being closed.
using Wait = bool (*)(HANDLE object, DWORD milliseconds, DWORD slice, const std::function<bool()>& done);

// A Wait that only sleeps and looks at `object`: no window is kept painting.
bool PlainWait(HANDLE object, DWORD milliseconds, DWORD slice, const std::function<bool()>& done);

// About `milliseconds` through `wait`; false when the program is being closed meanwhile.
inline bool PauseWith(Wait wait, DWORD milliseconds) {
    return wait(nullptr, milliseconds, milliseconds, [] { return false; });
}

}  // namespace win32
