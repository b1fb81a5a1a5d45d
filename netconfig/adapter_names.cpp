#include "adapter_names.h"

#include "output_lines.h"

std::optional<std::wstring> AdapterName(std::wstring_view line) {
    if (!line.starts_with(L"已启用")) return std::nullopt;  // tested before spaces go: leading spaces fail
    std::wstring squeezed;
    squeezed.reserve(line.size());
    for (wchar_t c : line)
        if (c != L' ') squeezed += c;
    // p is 1-based, 0 when there is no 专; the name is the last (length - p - 1) characters.
    const size_t at = squeezed.find(L'专');
    const size_t p = at == std::wstring::npos ? 0 : at + 1;
    if (squeezed.size() < p + 1) return std::nullopt;  // 专 is the last character
    return squeezed.substr(p + 1);
}

std::vector<std::wstring> AdapterNames(std::wstring_view listing) {
    std::vector<std::wstring> names;
    for (std::wstring_view line : OutputLines(listing))
        if (auto name = AdapterName(line)) names.push_back(std::move(*name));
    return names;
}
