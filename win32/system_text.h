// Small Win32 text helpers: error codes in words, paths of unbounded length.
#pragma once
#include <windows.h>

#include <string>

namespace win32 {

// The system's own words for an error code (in the user's language), without a trailing line end.
std::wstring ErrorText(DWORD code);

// The folder that holds the running exe, without a trailing separator.
std::wstring ProgramFolder();
// The exe's own path.
std::wstring ProgramFile();

// The system directory (System32), without a trailing separator.
std::wstring SystemFolder();

// The folder of the system's native programs as this process names it: System32, or for a
// 32-bit process on 64-bit Windows (WOW64) Sysnative, since there System32 leads to SysWOW64
// and its 32-bit copies.
std::wstring NativeProgramFolder();

// Whether folder is one an archive program or Explorer unpacked the exe into to run it from an
// archive, and so is emptied: below the temporary folder (GetTempPathW; by its long or short
// name, without case) where that is a real temporary folder, below any user's AppData\Local\Temp,
// or an archive program's own folder below a broader TMP.
bool IsInTemporaryFolder(const std::wstring& folder);

}  // namespace win32
