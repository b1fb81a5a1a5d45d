// The words of the warnings about commands and files: what failed, why, and what to do. Each
// piece is bounded (a few lines of netsh's output, long paths broken into lines, a few names) so
// that every box fits a 1024 x 768 screen.
#pragma once
#include <chrono>
#include <string>

#include "netconfig/command_runner.h"
#include "netconfig/failure_causes.h"
#include "textfile/file_path.h"

[[nodiscard]] std::wstring Quoted(const std::wstring& text);
// Quoted, broken after a separator (or inside a long name) so no line of it passes 60 characters.
[[nodiscard]] std::wstring QuotedPath(const FilePath& path);

// The command line, then how it ended and the first lines of what netsh said; ends with CR LF.
[[nodiscard]] std::wstring DescribeFailure(const std::wstring& line, const CommandResult& result,
                                           std::chrono::seconds bound);
// A line that was not started because the one before it hung.
[[nodiscard]] std::wstring DescribeNotRun(const std::wstring& line);
// One line per cause, each with what to do; without a final line end.
[[nodiscard]] std::wstring DescribeCauses(const FailureCauses& causes, std::chrono::seconds bound);
