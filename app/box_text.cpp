#include "box_text.h"

#include <algorithm>

#include "netconfig/output_lines.h"

namespace {

constexpr size_t kPathLineChars = 60;  // a path has no spaces to wrap at
constexpr size_t kValueColumns = 24;   // an interface name or a field's text
constexpr size_t kValuesShown = 5;
constexpr std::wstring_view kCut = L"…";

// Chinese text and the punctuation that goes with it are drawn about twice as wide as Latin.
size_t ColumnsOf(wchar_t c) {
    const bool wide = c == 0xB7 || (c >= 0x1100 && c <= 0x115F) || (c >= 0x2010 && c <= 0x21FF) ||
                      (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
    return wide ? 2 : 1;
}

}  // namespace

size_t Columns(std::wstring_view text) {
    size_t columns = 0;
    for (wchar_t c : text) columns += ColumnsOf(c);
    return columns;
}

std::wstring CutToColumns(std::wstring_view text, size_t columns) {
    if (Columns(text) <= columns) return std::wstring(text);
    std::wstring cut;
    for (size_t used = 0; wchar_t c : text) {
        if (used + ColumnsOf(c) + Columns(kCut) > columns) break;
        cut += c;
        used += ColumnsOf(c);
    }
    return cut + std::wstring(kCut);
}

// Another program's words, safe in a box: a NUL would end the box's text there (a program that
// answers in UTF-16 puts one after every Latin letter), and other control characters draw as
// boxes or turn the text around.
std::wstring Printable(std::wstring_view text) {
    std::wstring shown;
    for (wchar_t c : text) {
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x200E || c == 0x200F ||
                             (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
        if (c == L'\0') continue;
        if (c == L'\r' || c == L'\n')
            shown += c;
        else if (c == L'\t')
            shown += L' ';
        else
            shown += control ? L'\uFFFD' : c;
    }
    return shown;
}

std::wstring Value(const std::wstring& text) {
    std::wstring line = Printable(text);
    std::replace(line.begin(), line.end(), L'\r', L' ');
    std::replace(line.begin(), line.end(), L'\n', L' ');
    return CutToColumns(line, kValueColumns);
}

std::wstring List(const std::vector<std::wstring>& values) {
    std::wstring text;
    const size_t shown = std::min(values.size(), kValuesShown);
    for (size_t i = 0; i < shown; ++i) text += (i ? L"、" : L"") + Value(values[i]);
    if (shown < values.size()) text += L" 等 " + std::to_wstring(values.size()) + L" 个";
    return text;
}

std::wstring Excerpt(std::wstring_view said, size_t budget) {
    const std::wstring printable = Printable(said);
    std::wstring text;
    size_t used = 0;
    for (std::wstring_view line : OutputLines(printable)) {
        while (!line.empty() && line.back() == L' ') line.remove_suffix(1);
        if (line.empty()) continue;
        if (used == budget) return text + (budget ? std::wstring(kCut) + L"\r\n" : L"");
        const std::wstring shown = CutToColumns(line, (budget - used) * kBoxColumns);
        used += BoxLines(shown);
        text += shown + L"\r\n";
    }
    return text;
}

size_t BoxLines(std::wstring_view text) {
    size_t lines = 0;
    for (std::wstring_view line : OutputLines(text))
        lines += std::max<size_t>(1, (Columns(line) + kBoxColumns - 1) / kBoxColumns);
    return lines;
}

std::wstring Quoted(const std::wstring& text) { return L"\u201C" + text + L"\u201D"; }

std::wstring QuotedPath(const FilePath& path) {
    std::wstring text = L"\u201C";
    size_t column = 1;
    auto breakLine = [&] {
        text += L"\r\n";
        column = 0;
    };
    for (size_t i = 0; i < path.size();) {
        const size_t separator = path.find_first_of(L"\\/", i);
        const size_t end = separator == FilePath::npos ? path.size() : separator + 1;  // a part and its separator
        if (column > 1 && column + (end - i) > kPathLineChars) breakLine();
        for (; i < end; ++i, ++column) {
            if (column == kPathLineChars) breakLine();
            text += path[i];
        }
    }
    return text + L"\u201D";
}
