// The copy's end of the pipe: this program started with kElevatedMode by its window through
// "runas". It shows no window and changes nothing until the window it was started for (the pipe's
// server, running this very program file) hands it a change; then it runs that change's lines and
// reports each, and waits for the next, until the window closes its end or two minutes pass.
#pragma once
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

// The calls whose documented failures tests must be able to cause (Wine never refuses to open a
// process), and how long the copy waits for a change.
struct ElevatedCopyCalls {
    HANDLE(WINAPI* openProcess)(DWORD access, BOOL inherit, DWORD id) = ::OpenProcess;
    std::chrono::milliseconds idle{120000};
};

// The copy's whole life, from the words after kElevatedMode: 0 once the window went or fell silent,
// 2 when it refused (with one record that says why, where the pipe was reached).
[[nodiscard]] int RunElevatedCopy(const std::vector<std::wstring>& words, const ElevatedCopyCalls& calls = {});
