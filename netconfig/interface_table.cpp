#include "interface_table.h"

#include "output_lines.h"

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

// Header words stand apart by two spaces or more ("Admin State" is one column).
size_t ColumnCount(std::wstring_view header) {
    header = Trimmed(header);
    if (header.empty()) return 0;
    size_t columns = 1;
    for (size_t i = 0; i + 1 < header.size(); ++i) {
        if (IsSpace(header[i]) && IsSpace(header[i + 1])) {
            ++columns;
            while (i + 1 < header.size() && IsSpace(header[i + 1])) ++i;
        }
    }
    return columns;
}

// The header of a Chinese or an English Windows: in another language the columns are not known.
bool IsKnownHeader(std::wstring_view line) {
    line = Trimmed(line);
    return ColumnCount(line) >= 2 && (line.starts_with(L"管理员状态") || line.starts_with(L"Admin State"));
}

bool IsDashes(std::wstring_view line) {
    line = Trimmed(line);
    return line.size() >= 3 && line.find_first_not_of(L'-') == std::wstring_view::npos;
}

}  // namespace

std::vector<InterfaceRow> ParseInterfaceTable(std::wstring_view output) {
    const std::vector<std::wstring_view> lines = OutputLines(output);
    std::vector<InterfaceRow> rows;
    for (size_t d = 1; d < lines.size(); ++d) {
        if (!IsDashes(lines[d]) || !IsKnownHeader(lines[d - 1])) continue;
        const size_t columns = ColumnCount(lines[d - 1]);
        for (size_t i = d + 1; i < lines.size(); ++i) {
            std::wstring_view rest = Trimmed(lines[i]);
            if (rest.empty()) continue;
            std::vector<std::wstring> fields;
            while (fields.size() + 1 < columns && !rest.empty()) {
                size_t end = 0;
                while (end < rest.size() && !IsSpace(rest[end])) ++end;
                fields.emplace_back(rest.substr(0, end));
                rest = Trimmed(rest.substr(end));
            }
            if (fields.size() + 1 < columns || rest.empty()) continue;  // not a row of this table
            fields.resize(3);
            rows.push_back({fields[0], fields[1], fields[2], std::wstring(rest)});
        }
        break;
    }
    return rows;
}
