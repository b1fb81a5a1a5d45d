// The lines of what netsh printed: they end at LF, with a CR before it dropped.
#pragma once
#include <string_view>
#include <vector>

[[nodiscard]] inline std::vector<std::wstring_view> OutputLines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    while (!text.empty()) {
        const size_t end = text.find(L'\n');
        std::wstring_view line = text.substr(0, end);
        if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::wstring_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}
