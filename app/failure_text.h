// The words of the warnings about commands, the adapter and files: what failed, why, and what to
// do. Every box must fit a 1024 x 768 screen, so each piece is bounded (a few lines of netsh's
// output, long paths broken into lines, a few names) and whole boxes are measured in the lines
// they take at the box's width.
#pragma once
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "netconfig/command_runner.h"
#include "netconfig/failure_causes.h"
#include "netconfig/read_back.h"
#include "textfile/file_path.h"

// Lines a box may take, each as wide as about 48 Latin characters or 24 Chinese ones (a message
// box under Wine is about 330 pixels wide; one on Windows is wider).
inline constexpr size_t kBoxColumns = 48;
inline constexpr size_t kBoxLines = 36;
// The lines `text` takes in a box: a CJK character counts as two Latin ones.
[[nodiscard]] size_t BoxLines(std::wstring_view text);

[[nodiscard]] std::wstring Quoted(const std::wstring& text);
// Quoted, broken after a separator (or inside a long name) so no line of it passes 60 characters.
[[nodiscard]] std::wstring QuotedPath(const FilePath& path);

struct FailedCommand {
    std::wstring line;
    std::optional<CommandResult> result;  // none: not started, since the one before it hung
};

// The whole box: each failed command with how it ended and what netsh said, then the likely
// causes, each with what to do.
[[nodiscard]] std::wstring DescribeCommandFailures(const std::vector<FailedCommand>& failed,
                                                   const FailureCauses& causes, std::chrono::seconds bound);

// The box after commands that all ran, when 以太网 is not as asked: one line per difference.
[[nodiscard]] std::wstring DescribeReadBack(const ReadBack& readBack, std::chrono::milliseconds waited);
