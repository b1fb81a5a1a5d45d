// Waiting on the window's thread without freezing the window: paint and every other message go
// on, the user's input is dropped, and a WM_QUIT is held back until the wait is over.
#pragma once
#include <windows.h>

#include <optional>

namespace win32 {

// Dispatches the messages now waiting, except keyboard and mouse input (dropped) and WM_QUIT
// (its exit code kept in `quit`).
void DispatchAllButInput(std::optional<WPARAM>& quit);

// Posts a WM_QUIT held back by DispatchAllButInput.
void PostHeldQuit(const std::optional<WPARAM>& quit);

// Waits about `milliseconds` while the windows keep painting and take no input.
void PauseKeepingWindowsPainted(DWORD milliseconds);

}  // namespace win32
