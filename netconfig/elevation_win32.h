// Administrator rights asked for on the click that needs them: a change's lines run in a copy of
// this exe started with the "runas" verb, handed only the change's values, and its results come
// back through a pipe this process made. Everything else stays in the window's process.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "change_runner.h"
#include "win32/wait.h"

// The first argument of the elevated copy.
inline constexpr std::wstring_view kElevatedMode = L"--netscheme-elevated";

// Runs the change's lines in an elevated copy of `exe`, each awaited there at most `bound`; waits
// through `wait`. Declined when the user says no to the prompt; NotElevated when the copy cannot
// be started or does not answer; Closed when `closing` says so meanwhile (the copy finishes the
// line it runs and starts no other).
[[nodiscard]] ChangeRun RunChangeElevated(const AddressChange& change, std::chrono::milliseconds bound,
                                          const std::function<bool()>& closing, win32::Wait wait,
                                          const std::wstring& exe);

// Changes run in elevated copies of `exe` (this program's own when empty), awaited through `wait`.
[[nodiscard]] std::unique_ptr<ChangeRunner> MakeElevatingChangeRunner(win32::Wait wait, std::wstring exe = {});

// Where changes run, chosen once at start-up: here, through `runner`, where this process is elevated
// or Windows asks for no rights (UAC off: the lines fail and the diagnosis says why); else in
// elevated copies.
[[nodiscard]] std::unique_ptr<ChangeRunner> MakeChangeRunner(CommandRunner& runner, win32::Wait wait);

// The elevated copy's whole life, from the arguments after kElevatedMode: the exit code (0 when
// the lines ran; 2 on any doubt, with nothing changed).
[[nodiscard]] int RunElevatedCopy(const std::vector<std::wstring>& arguments);

// The words of a command line, for the arguments of the elevated copy (none has a space or a quote).
[[nodiscard]] std::vector<std::wstring> CommandLineWords(std::wstring_view line);
