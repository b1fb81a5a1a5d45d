// Putting a new file in the scheme file's place with ReplaceFileW, and repairing every failure
// state Microsoft documents for it, so that the scheme file ends whole under its own name.
#pragma once
#include <memory>
#include <string>

#include "file_calls_win32.h"
#include "file_system.h"

// `from` and `to` absolute; `to` exists and may be written. `hold` (of `to`, or none) is let go
// once no other program can write in between.
[[nodiscard]] Placement ReplaceInPlace(FileCalls& calls, const std::wstring& from, const std::wstring& to,
                                       std::unique_ptr<FileHold> hold);
