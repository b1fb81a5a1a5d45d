// The command that writes the interface listing into ls.txt in the program folder.
#pragma once
#include <string>

#include "command_runner.h"

inline constexpr std::wstring_view kListingFileName = L"ls.txt";

// "cmd.exe /d /v:off /c netsh interface show interface  >"<folder>\ls.txt"". A folder with a % in its
// path would let cmd expand %NAME% inside the quotes and write elsewhere: for such a folder
// netsh.exe is started directly with its output redirected to the same file.
[[nodiscard]] CommandLine ListingCommand(const std::wstring& programFolder);

// The listing again, its output captured: asked after address commands failed, to tell why.
[[nodiscard]] CommandLine InterfaceListingCommand();

// Where the listing command writes: the program folder's ls.txt.
[[nodiscard]] FilePath ListingFile(const FilePath& programFolder);
