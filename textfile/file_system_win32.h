// The Win32 file system. The calls with documented failure states are replaceable, so that tests
// can put the files into those states (Wine never shows them).
#pragma once
#include <windows.h>

#include <memory>

#include "file_system.h"

// A plain wait: the file layer knows nothing of windows.
inline bool SleepFor(DWORD milliseconds) {
    ::Sleep(milliseconds);
    return true;
}

struct Win32FileCalls {
    BOOL(WINAPI* replaceFile)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) = ::ReplaceFileW;
    BOOL(WINAPI* moveFile)(LPCWSTR, LPCWSTR, DWORD) = ::MoveFileExW;
    // How a retry waits for a file another program holds for a moment; false stops the retries
    // (the program is being closed). The program passes a wait that keeps its window painting.
    bool (*pause)(DWORD milliseconds) = SleepFor;
};

[[nodiscard]] std::unique_ptr<FileSystem> MakeWin32FileSystem(const Win32FileCalls& calls);
