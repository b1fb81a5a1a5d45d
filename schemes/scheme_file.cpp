#include "scheme_file.h"

#include "textfile/codepage936.h"

namespace {

constexpr std::array<std::wstring_view, kFieldCount> kValueLabels = {L"IP:", L"掩码:", L"网关:", L"首选:", L"备选:"};
constexpr size_t kLabelLength = 3;
constexpr int kCounterLimit = 32767;  // the position counter saturates here instead of wrapping

bool IsNameLineOf(std::wstring_view line, std::wstring_view name) {
    return line.size() == kNamePrefix.size() + name.size() && line.starts_with(kNamePrefix) &&
           line.substr(kNamePrefix.size()) == name;
}

std::optional<char32_t> FindLineBreak(std::wstring_view text) {
    const size_t at = text.find_first_of(L"\r\n");
    if (at == std::wstring_view::npos) return std::nullopt;
    return static_cast<char32_t>(text[at]);
}

}  // namespace

std::vector<std::wstring> ListSchemeNames(const TextLines& lines) {
    std::vector<std::wstring> names;
    for (size_t i = 0; i < lines.count(); ++i) {
        const std::wstring& line = lines.text(i);
        if (line.starts_with(kNamePrefix)) names.push_back(line.substr(kNamePrefix.size()));
    }
    return names;
}

std::vector<FieldWrite> LoadSchemeWrites(const TextLines& lines, std::wstring_view name) {
    std::vector<FieldWrite> writes;
    int counter = 0;
    for (size_t i = 0; i < lines.count(); ++i) {
        const std::wstring& line = lines.text(i);
        if (IsNameLineOf(line, name)) counter = 0;
        if (counter >= 1 && counter <= static_cast<int>(kFieldCount))
            writes.push_back({kFields[static_cast<size_t>(counter - 1)],
                              line.size() > kLabelLength ? line.substr(kLabelLength) : std::wstring()});
        if (counter < kCounterLimit) ++counter;
    }
    return writes;
}

std::optional<size_t> FindLastNameLine(const TextLines& lines, std::wstring_view name) {
    std::optional<size_t> found;
    for (size_t i = 0; i < lines.count(); ++i)
        if (IsNameLineOf(lines.text(i), name)) found = i;
    return found;
}

std::wstring DeletedLinePrefix(std::wstring_view date, std::wstring_view time) {
    std::wstring prefix;
    for (wchar_t c : date)
        if (c != L'\r' && c != L'\n') prefix += c;
    prefix += L'-';
    for (wchar_t c : time)
        if (c != L'\r' && c != L'\n') prefix += c;
    prefix += L"-已删除-";
    return prefix;
}

std::string EncodedDeletedMark(const TextLines& lines, const DateTimeText& when) {
    Codepage936 codepage;
    const std::wstring own = DeletedLinePrefix(when.date, when.time);
    const EncodedText mark = EncodeText(lines.encoding(), own, codepage);
    if (!mark.unrepresentable && !own.starts_with(kNamePrefix)) return mark.bytes;
    return EncodeText(lines.encoding(), DeletedLinePrefix(when.fallbackDate, when.fallbackTime), codepage).bytes;
}

std::string RewriteWithMarkedLine(const TextLines& lines, size_t marked, std::string_view prefix) {
    const std::string_view lineEnd = lines.lineEnd();
    size_t total = prefix.size();
    for (size_t i = 0; i < lines.count(); ++i) total += lines.raw(i).size() + lineEnd.size();
    std::string bytes;
    bytes.reserve(total);
    for (size_t i = 0; i < lines.count(); ++i) {
        std::string_view raw = lines.raw(i);
        if (i == marked) {
            // A byte order mark stays first: behind the date it would make the file neither encoding.
            const size_t mark = i == 0 ? lines.markLength() : 0;
            bytes += raw.substr(0, mark);
            raw.remove_prefix(mark);
            bytes += prefix;
        }
        bytes += raw;
        // A lone CR stays one; every other line ends with CR LF.
        bytes += lines.endsAtLoneCr(i) ? lineEnd.substr(0, lineEnd.size() / 2) : lineEnd;
    }
    return bytes;
}

EncodedBlock EncodeSchemeBlock(std::wstring_view name, const AddressFields& fields, Codepage936& codepage,
                               TextEncoding encoding) {
    EncodedBlock block;
    const std::string_view lineEnd = LineEndOf(encoding);
    auto refuse = [&block](EncodedBlock::Problem problem, std::optional<Field> field, char32_t c) {
        block.bytes.clear();
        block.problem = problem;
        block.field = field;
        block.character = c;
        return block;
    };

    // A line break inside a text would split the block and shift every value after it.
    if (auto c = FindLineBreak(name)) return refuse(EncodedBlock::Problem::LineBreak, std::nullopt, *c);
    for (Field f : kFields)
        if (auto c = FindLineBreak(fields[f])) return refuse(EncodedBlock::Problem::LineBreak, f, *c);

    auto append = [&](std::wstring_view text, std::optional<Field> field) {
        EncodedText encoded = EncodeText(encoding, text, codepage);
        if (encoded.unrepresentable) {
            refuse(EncodedBlock::Problem::Unrepresentable, field, *encoded.unrepresentable);
            return false;
        }
        block.bytes += encoded.bytes;
        block.bytes += lineEnd;
        return true;
    };
    if (!append(std::wstring(kNamePrefix) + std::wstring(name), std::nullopt)) return block;
    for (Field f : kFields)
        if (!append(std::wstring(kValueLabels[static_cast<size_t>(f)]) + fields[f], f)) return block;
    block.bytes += lineEnd;  // the empty seventh line
    return block;
}
