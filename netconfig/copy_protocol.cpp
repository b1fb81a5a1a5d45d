#include "copy_protocol.h"

#include <cstring>

#include "textfile/hex_text.h"

namespace {

constexpr std::wstring_view kPipePrefix = L"\\\\.\\pipe\\netscheme-";
constexpr size_t kLongestChange = 4096;   // far more than any change's words
constexpr size_t kLongestText = 1 << 20;  // a record's text, in UTF-16 units

void Put(std::string& out, std::uint32_t value) { out.append(reinterpret_cast<const char*>(&value), sizeof value); }

bool Take(std::string_view& bytes, std::uint32_t& value) {
    if (bytes.size() < sizeof value) return false;
    std::memcpy(&value, bytes.data(), sizeof value);
    bytes.remove_prefix(sizeof value);
    return true;
}

// A decimal number exactly as to_wstring writes it, up to 0xFFFFFFFF.
std::optional<unsigned long> Decimal(const std::wstring& text) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of(L"0123456789") != std::wstring::npos ||
        (text.size() > 1 && text[0] == L'0'))
        return std::nullopt;
    const unsigned long long value = std::stoull(text);
    if (value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<unsigned long>(value);
}

// One record from the start of `bytes`: false while it is incomplete; `bad` when it cannot be one.
bool TakeRecord(std::string_view& bytes, CopyRecord& record, bool& bad) {
    std::string_view rest = bytes;
    std::uint32_t kind = 0, a = 0, b = 0, length = 0;
    if (!Take(rest, kind) || !Take(rest, a) || !Take(rest, b) || !Take(rest, length)) return false;
    const bool known = kind >= 1 && kind <= 5 && (kind != 4 || a <= 3) && (kind != 2 || (a >= 1 && a <= 4));
    if (!known || length > kLongestText) {
        bad = true;
        return false;
    }
    if (rest.size() < length * sizeof(char16_t)) return false;
    std::wstring text;
    for (std::uint32_t i = 0; i < length; ++i) {
        char16_t unit = 0;
        std::memcpy(&unit, rest.data() + i * sizeof unit, sizeof unit);
        text += static_cast<wchar_t>(unit);
    }
    rest.remove_prefix(length * sizeof(char16_t));
    record = {static_cast<CopyRecord::Kind>(kind), static_cast<CopyRefusal>(a), {}, {}};
    if (record.kind == CopyRecord::Kind::Refused) record.detail = std::move(text);
    if (record.kind == CopyRecord::Kind::Line)
        record.result = {static_cast<CommandResult::Outcome>(a), b, std::move(text)};
    bytes = rest;
    return true;
}

}  // namespace

std::vector<std::wstring> CommandLineWords(std::wstring_view line) {
    std::vector<std::wstring> words;
    std::wstring word;
    bool quoted = false;
    for (wchar_t c : line) {
        if (c == L'"') {
            quoted = !quoted;
        } else if ((c == L' ' || c == L'\t') && !quoted) {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

std::wstring CopyPipeName(const unsigned char (&random)[16]) {
    std::wstring name(kPipePrefix);
    for (unsigned char byte : random) name += HexText(byte, 2);
    return name;
}

std::wstring CopyParameters(const CopyArguments& arguments) {
    return std::wstring(kElevatedMode) + L" " + arguments.pipe + L" " + std::to_wstring(arguments.window);
}

std::optional<CopyArguments> ParseCopyArguments(const std::vector<std::wstring>& words) {
    if (words.size() != 2) return std::nullopt;
    const std::wstring& pipe = words[0];
    const bool named = pipe.size() == kPipePrefix.size() + 32 && pipe.starts_with(kPipePrefix) &&
                       pipe.find_first_not_of(L"0123456789ABCDEF", kPipePrefix.size()) == std::wstring::npos;
    const std::optional<unsigned long> window = Decimal(words[1]);
    if (!named || !window || *window == 0) return std::nullopt;
    return CopyArguments{pipe, *window};
}

Status StatusOf(CopyRefusal refusal, const std::wstring& detail) {
    switch (refusal) {
    case CopyRefusal::NotTheWindow: return Status::Because(Status::Reason::CopyNotForThisWindow);
    case CopyRefusal::OtherProgram: return Status::Because(Status::Reason::CopyOfAnotherProgram);
    case CopyRefusal::BadChange: return Status::Because(Status::Reason::CopyGotNoChange);
    case CopyRefusal::CannotCheck: break;
    }
    return Status::Because(Status::Reason::CopyCannotCheckWindow, detail);
}

std::string EncodeRecord(const CopyRecord& record) {
    std::uint32_t a = 0, b = 0;
    std::wstring_view text;
    if (record.kind == CopyRecord::Kind::Refused) {
        a = static_cast<std::uint32_t>(record.refusal);
        text = record.detail;
    } else if (record.kind == CopyRecord::Kind::Line) {
        a = static_cast<std::uint32_t>(record.result.outcome);
        b = static_cast<std::uint32_t>(record.result.exitCode);
        text = record.result.output;
    }
    text = text.substr(0, kLongestText);
    std::string out;
    for (std::uint32_t value : {static_cast<std::uint32_t>(record.kind), a, b, static_cast<std::uint32_t>(text.size())})
        Put(out, value);
    for (wchar_t c : text) {
        const auto unit = static_cast<char16_t>(c);
        out.append(reinterpret_cast<const char*>(&unit), sizeof unit);
    }
    return out;
}

bool TakeRecords(std::string& bytes, std::vector<CopyRecord>& records) {
    std::string_view rest = bytes;
    bool bad = false;
    for (CopyRecord record; TakeRecord(rest, record, bad);) records.push_back(std::move(record));
    bytes.erase(0, bytes.size() - rest.size());
    return !bad;
}

std::optional<std::string> EncodeChange(const AddressChange& change) {
    const auto words = ElevatedArguments(change);
    if (!words) return std::nullopt;
    std::string line;
    for (const std::wstring& word : *words) {
        if (!line.empty()) line += ' ';
        for (wchar_t c : word) line += static_cast<char>(c);  // digits, dots, commas, slashes, letters
    }
    return line + '\n';
}

std::optional<AddressChange> TakeChange(std::string& bytes, bool& bad) {
    const size_t end = bytes.find('\n');
    bad = end == std::string::npos ? bytes.size() > kLongestChange : end > kLongestChange;
    if (end == std::string::npos || bad) return std::nullopt;
    const std::string line = bytes.substr(0, end);
    bytes.erase(0, end + 1);
    std::vector<std::wstring> words(1);
    for (char c : line) {
        if (c < 0x21 && c != ' ') bad = true;
        if (c == ' ')
            words.emplace_back();
        else
            words.back() += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    std::optional<AddressChange> change = bad ? std::nullopt : ParseElevatedArguments(words);
    bad = !change;
    return change;
}
