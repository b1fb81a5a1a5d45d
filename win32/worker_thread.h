// Work that blocks (the IP Helper API, a prompt for administrator rights) on a thread of its own,
// awaited through the wait the layer was given, so the window keeps painting meanwhile.
#pragma once
#include <windows.h>

#include <functional>

#include "wait.h"

namespace win32 {

// Runs `work` on a new thread and waits at most `milliseconds` (INFINITE: until it ends). True when
// it ended; `open` is false when the program is being closed meanwhile. The thread owns `work`: one
// still running when the wait ends finishes on its own, so `work` must own what it touches. An
// exception ends `work` there and no further. Where no thread can be made, `work` runs here.
bool RunOnItsThread(Wait wait, std::function<void()> work, DWORD milliseconds, bool& open);

}  // namespace win32
