// Waiting on the window's thread without freezing the window: paint and every other message go
// on, the user's input is dropped, and a WM_QUIT is held back until the wait is over.
#pragma once
#include <windows.h>

#include <optional>

namespace win32 {

// Dispatches the messages now waiting, except WM_QUIT (its exit code kept in `quit`) and
// keyboard and mouse input, which is dropped unless it is Alt+F4 or for a window marked usable.
void DispatchAllButInput(std::optional<WPARAM>& quit);

// Marks a window (the exit button) as taking input during such waits, or no longer (before it
// is destroyed).
void MarkUsableWhileWaiting(HWND window, bool usable);

// Posts a WM_QUIT held back by DispatchAllButInput.
void PostHeldQuit(const std::optional<WPARAM>& quit);

// Waits about `milliseconds` while the windows keep painting and take no input; false when the
// program is being closed meanwhile (the WM_QUIT is posted again).
bool PauseKeepingWindowsPainted(DWORD milliseconds);

}  // namespace win32
