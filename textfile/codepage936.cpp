#include "codepage936.h"

#include "code_points.h"
#include "hex_text.h"

namespace {

bool IsPrivateUse(char32_t c) { return c >= 0xE000 && c <= 0xF8FF; }

// Stands for a byte that is not part of a valid 936 character: one character per byte value,
// a lone low surrogate, so it never equals decoded text and never encodes back.
constexpr char32_t kByteEscapeBase = 0xDC00;
bool IsByteEscape(char32_t c) { return c >= kByteEscapeBase + 0x80 && c <= kByteEscapeBase + 0xFF; }

// Characters that have no 936 bytes on every platform alike, whatever its converter says.
bool HasNoBytes(std::wstring_view text) {
    for (wchar_t c : text)
        if (IsPrivateUse(static_cast<char32_t>(c)) || IsByteEscape(static_cast<char32_t>(c))) return true;
    return false;
}

// Length of the 936 character that starts at bytes[i]: 2 for a lead byte with a trail byte in
// range, else 1.
size_t CharacterLength(std::string_view bytes, size_t i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x81 || lead == 0xFF || i + 1 >= bytes.size()) return 1;
    const auto trail = static_cast<unsigned char>(bytes[i + 1]);
    return (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) ? 2 : 1;
}

}  // namespace

std::wstring Codepage936::Decode(std::string_view bytes) {
    std::wstring out;
    if (PlatformDecode(bytes, out) && !HasNoBytes(out)) return out;

    out.clear();
    std::wstring piece;
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = CharacterLength(bytes, i);
        if (PlatformDecode(bytes.substr(i, length), piece) && piece.size() == 1 && !HasNoBytes(piece)) {
            out += piece;
            i += length;
        } else {
            // Only the first byte is bad: the one after it may start a valid character of its own.
            out += static_cast<wchar_t>(kByteEscapeBase + static_cast<unsigned char>(bytes[i]));
            ++i;
        }
    }
    return out;
}

EncodedText Codepage936::Encode(std::wstring_view text) {
    EncodedText result;
    if (!HasNoBytes(text) && PlatformEncode(text, result.bytes)) return result;

    result.bytes.clear();
    std::string piece;
    for (size_t i = 0; i < text.size();) {
        const size_t start = i;
        const char32_t c = NextCodePoint(text, i);
        if (IsPrivateUse(c) || IsByteEscape(c) || !PlatformEncode(text.substr(start, i - start), piece)) {
            result.bytes.clear();
            result.unrepresentable = c;
            return result;
        }
        result.bytes += piece;
    }
    return result;
}

std::wstring DescribeCharacter(char32_t c) {
    int digits = 4;
    while (digits < 8 && (c >> (4 * digits)) != 0) ++digits;
    std::wstring text = L"U+" + HexText(c, digits);
    if (c >= 0x20 && c != 0x7F && (c < 0xD800 || c > 0xDFFF)) {
        text += L" \u201C";
        AppendCodePoint(text, c);
        text += L"\u201D";
    }
    return text;
}
