// The Win32 file system. The calls with documented failure states are replaceable, so that tests
// can put the files into those states (Wine never shows them).
#pragma once
#include <windows.h>

#include <memory>

#include "file_system.h"
#include "win32/wait.h"

struct Win32FileCalls {
    BOOL(WINAPI* replaceFile)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) = ::ReplaceFileW;
    BOOL(WINAPI* moveFile)(LPCWSTR, LPCWSTR, DWORD) = ::MoveFileExW;
    // How a retry waits for a file another program holds for a moment, or for another copy's
    // lock; false stops the retries (the program is being closed).
    win32::Wait wait = win32::PlainWait;
};

[[nodiscard]] std::unique_ptr<FileSystem> MakeWin32FileSystem(const Win32FileCalls& calls);
