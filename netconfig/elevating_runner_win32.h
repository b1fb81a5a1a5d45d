// The window's end of the elevated copy, and the choice of where changes run. A session of the
// elevating runner starts one copy of the exe with "runas" at its first change (the one prompt of
// the click) and hands it each change of the click through a pipe the window made; the copy ends
// with the session, or after two minutes with nothing handed to it, and a later change of the same
// click then starts another (and asks again).
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "change_runner.h"
#include "win32/wait.h"

struct ElevationCalls {
    win32::Wait wait = win32::PlainWait;  // how the prompt, the copy's answers and its lines are awaited
    std::wstring exe;                     // the copy's program file: this program's own when empty
    // The calls whose documented failures tests must be able to cause; Wine shows neither.
    decltype(&::CreateNamedPipeW) createNamedPipe = ::CreateNamedPipeW;
    decltype(&::GetNamedPipeClientProcessId) clientProcessId = ::GetNamedPipeClientProcessId;
};

[[nodiscard]] std::unique_ptr<ChangeRunner> MakeElevatingChangeRunner(const ElevationCalls& calls);

// This process's token, UAC and the elevation policies, read now.
[[nodiscard]] Rights ReadRights();

// Where changes run, chosen once at start-up (PlaceForChanges of ReadRights): here through
// `runner`, in elevated copies awaited through `wait`, or nowhere.
[[nodiscard]] std::unique_ptr<ChangeRunner> MakeChangeRunner(CommandRunner& runner, win32::Wait wait);
