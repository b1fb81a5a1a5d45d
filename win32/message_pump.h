// Waiting on the window's thread without freezing the window: paint and every other message go
// on, the user's input is dropped, and a WM_QUIT is held back until the wait is over.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>

#include "wait.h"

namespace win32 {

// Dispatches the messages now waiting, except WM_QUIT (its exit code kept in `quit`) and
// keyboard and mouse input, which is dropped unless it is Alt+F4 or for a window marked usable.
void DispatchAllButInput(std::optional<WPARAM>& quit);

// Marks a window (the exit button) as taking input during such waits, or no longer (before it
// is destroyed).
void MarkUsableWhileWaiting(HWND window, bool usable);

// Posts a WM_QUIT held back by DispatchAllButInput.
void PostHeldQuit(const std::optional<WPARAM>& quit);

// The program's Wait (see wait.h): it also ends when the program is being closed (a WM_QUIT,
// posted again afterwards), while the windows keep painting and take no input.
bool WaitKeepingWindowsPainted(HANDLE object, DWORD milliseconds, DWORD slice, const std::function<bool()>& done);

// Waits about `milliseconds`, as above; false when the program is being closed meanwhile.
bool PauseKeepingWindowsPainted(DWORD milliseconds);

}  // namespace win32
