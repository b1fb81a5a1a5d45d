// The adapter name rule: which lines of `netsh interface show interface` name an enabled
// adapter, and the name cut out of such a line.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A line beginning with 已启用 yields, once every U+0020 is removed, what follows the first 专
// and the character after it (the interface type 专用); other lines yield nothing.
[[nodiscard]] std::optional<std::wstring> AdapterName(std::wstring_view line);

// The names of all lines of the listing that yield one, in order, duplicates kept.
[[nodiscard]] std::vector<std::wstring> AdapterNames(std::wstring_view listing);
