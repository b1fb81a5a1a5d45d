// The real command runner: netsh.exe or cmd.exe from the system's native program folder, hidden,
// awaited while the window keeps painting. Its input is dropped while it waits.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "command_runner.h"
#include "win32/wait.h"

// The calls whose documented failures tests must be able to cause, replaceable (Wine never
// shows those failures). Windows 7 cannot
// put a process into a job of ours while this program already runs inside another job (no
// nested jobs before Windows 8).
struct Win32RunnerCalls {
    BOOL(WINAPI* assignProcessToJobObject)(HANDLE job, HANDLE process) = ::AssignProcessToJobObject;
    DWORD(WINAPI* resumeThread)(HANDLE thread) = ::ResumeThread;
    BOOL(WINAPI* getExitCodeProcess)(HANDLE process, LPDWORD code) = ::GetExitCodeProcess;
    // Where netsh.exe and cmd.exe are taken from: the system's native folder when empty. Tests
    // that may run on a real PC give a folder with a stand-in, so the system's are never started.
    std::wstring programFolder;
    // How a command is awaited.
    win32::Wait wait = win32::PlainWait;
};

[[nodiscard]] std::unique_ptr<CommandRunner> MakeWin32CommandRunner(const Win32RunnerCalls& calls);
[[nodiscard]] std::unique_ptr<CommandRunner> MakeSystemCommandRunner(win32::Wait wait = win32::PlainWait);
