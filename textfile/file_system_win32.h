// The Win32 file system, with the calls whose documented failure states Wine never shows
// replaceable, so that tests can put the files into those states.
#pragma once
#include <windows.h>

#include <memory>

#include "file_system.h"
#include "win32/message_pump.h"

struct Win32FileCalls {
    BOOL(WINAPI* replaceFile)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) = ::ReplaceFileW;
    BOOL(WINAPI* moveFile)(LPCWSTR, LPCWSTR, DWORD) = ::MoveFileExW;
    // How a retry waits for a file another program holds for a moment (the window keeps
    // painting); false stops the retries (the program is being closed).
    bool (*pause)(DWORD milliseconds) = win32::PauseKeepingWindowsPainted;
};

[[nodiscard]] std::unique_ptr<FileSystem> MakeWin32FileSystem(const Win32FileCalls& calls);
