// The table `netsh interface show interface` prints, read by its columns: unlike the adapter
// name rule, names keep their spaces and disabled interfaces are there too.
#pragma once
#include <string>
#include <string_view>
#include <vector>

struct InterfaceRow {
    std::wstring adminState;  // 已启用 / 已禁用 (Enabled / Disabled elsewhere)
    std::wstring state;
    std::wstring type;
    std::wstring name;  // as netsh prints it, inner spaces kept
    [[nodiscard]] bool Disabled() const { return adminState == L"已禁用" || adminState == L"Disabled"; }
};

// The rows under the line of dashes. The header line above it (a Chinese or an English one)
// gives the number of columns (its words stand apart by two spaces or more); in a row every column
// but the last is one word, and the last, the name, is the rest of the line. Empty when there is
// no such table.
[[nodiscard]] std::vector<InterfaceRow> ParseInterfaceTable(std::wstring_view output);
