// Fitting text into a message box: its width counted in columns (a CJK character takes two),
// other programs' words made safe to show, long values and lists cut, long paths broken, and a
// whole box measured in the lines it takes. Every box must fit a 1024 x 768 screen.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "textfile/file_path.h"

// Lines a box may take, each as wide as about 48 Latin characters or 24 Chinese ones (Windows'
// message box wraps wider; Wine's wraps at about 330 pixels).
inline constexpr size_t kBoxColumns = 48;
inline constexpr size_t kBoxLines = 36;

[[nodiscard]] size_t Columns(std::wstring_view text);
// At most `columns` wide, with "…" where cut.
[[nodiscard]] std::wstring CutToColumns(std::wstring_view text, size_t columns);
// Another program's words, safe in a box: NULs dropped, other control characters (also the ones
// that turn text around) shown as U+FFFD, tabs as spaces; line ends kept.
[[nodiscard]] std::wstring Printable(std::wstring_view text);
// A value from outside (a name, a field's text) as one short, printable piece.
[[nodiscard]] std::wstring Value(const std::wstring& text);
// The first few values joined by "、", then how many there are.
[[nodiscard]] std::wstring List(const std::vector<std::wstring>& values);
// The first non-blank lines of what a program said, within `budget` box lines, "…" where cut.
[[nodiscard]] std::wstring Excerpt(std::wstring_view said, size_t budget);
// The lines `text` takes in a box.
[[nodiscard]] size_t BoxLines(std::wstring_view text);

[[nodiscard]] std::wstring Quoted(const std::wstring& text);
// Quoted, broken after a separator (or inside a long name) so no line of it passes 60 characters.
[[nodiscard]] std::wstring QuotedPath(const FilePath& path);
