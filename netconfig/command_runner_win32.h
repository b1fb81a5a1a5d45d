// The real command runner: netsh.exe or cmd.exe from the system's native program folder, hidden,
// awaited while the window keeps painting. Its input is dropped while it waits.
#pragma once
#include <windows.h>

#include <memory>

#include "command_runner.h"

// The call whose documented failure Wine does not show: Windows 7 cannot put a process into a
// job of ours while this program already runs inside another job (no nested jobs before 8).
struct Win32RunnerCalls {
    BOOL(WINAPI* assignProcessToJobObject)(HANDLE job, HANDLE process) = ::AssignProcessToJobObject;
};

[[nodiscard]] std::unique_ptr<CommandRunner> MakeWin32CommandRunner(const Win32RunnerCalls& calls);
[[nodiscard]] std::unique_ptr<CommandRunner> MakeSystemCommandRunner();
