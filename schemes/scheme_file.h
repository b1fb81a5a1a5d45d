// The rules of the scheme file ui.kvo: a plain sequence of CR LF lines in code page 936, where
// a scheme is a name line "name:<name>" and the five value lines after it, each behind a
// three-character label. These functions take lines and plain values and return plain values.
#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "netconfig/address_fields.h"
#include "textfile/text_lines.h"

class Codepage936;

inline constexpr std::wstring_view kSchemeFileName = L"ui.kvo";
inline constexpr std::wstring_view kNamePrefix = L"name:";

// Every line that begins with exactly "name:" gives the rest of the line, in file order.
[[nodiscard]] std::vector<std::wstring> ListSchemeNames(const TextLines& lines);

// One assignment of an address field.
struct FieldWrite {
    Field field;
    std::wstring text;
    bool operator==(const FieldWrite&) const = default;
};

// The field assignments that picking `name` makes, in the order they happen. The position
// counter starts at 0, so lines 2 to 6 of the file are written first; every line equal to
// "name:" + name starts the count again; the 1st..5th line after it fill Text1..Text5 from
// their 4th character on, whatever they hold. The counter stops at 32767.
[[nodiscard]] std::vector<FieldWrite> LoadSchemeWrites(const TextLines& lines, std::wstring_view name);

// The last line whose whole text is "name:" + name.
[[nodiscard]] std::optional<size_t> FindLastNameLine(const TextLines& lines, std::wstring_view name);

// The text a deleted name line gets in front of it: date + "-" + time + "-已删除-". Line breaks
// in the platform's date or time text are dropped: they would split the line.
[[nodiscard]] std::wstring DeletedLinePrefix(std::wstring_view date, std::wstring_view time);

// A moment as text: in the user's short date and time formats, and in the plain ones (yyyy/M/d and
// H:mm:ss) for where those cannot be used.
struct DateTimeText {
    std::wstring date;
    std::wstring time;
    std::wstring fallbackDate;
    std::wstring fallbackTime;
};
// The mark in front of a deleted name line, encoded as the file is. The plain formats stand in
// when the file cannot hold a character of the user's own, or when the mark would begin with
// "name:" (a date format may): the marked line would then be listed again.
[[nodiscard]] std::string EncodedDeletedMark(const TextLines& lines, const DateTimeText& when);

// The whole file again, every line with its own bytes and CR LF, the line at `marked` with
// `prefix` (already encoded) in front of it.
[[nodiscard]] std::string RewriteWithMarkedLine(const TextLines& lines, size_t marked, std::string_view prefix);

// The seven-line block that adding a scheme appends, encoded, or why it cannot be written.
struct EncodedBlock {
    enum class Problem { None, LineBreak, Unrepresentable };
    std::string bytes;
    Problem problem = Problem::None;
    std::optional<Field> field;  // where the problem is: a field, or none for the name
    char32_t character = 0;
};
[[nodiscard]] EncodedBlock EncodeSchemeBlock(std::wstring_view name, const AddressFields& fields, Codepage936& codepage,
                                             TextEncoding encoding = TextEncoding::Codepage936);
