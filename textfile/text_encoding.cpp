#include "text_encoding.h"

#include <algorithm>
#include <optional>

#include "code_points.h"

namespace {

// The character that starts at bytes[i] and its length, or nothing when it is not valid UTF-8
// (overlong forms, surrogates and values past U+10FFFF included).
std::optional<char32_t> Utf8At(std::string_view bytes, size_t i, size_t& length) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) return std::nullopt;
    char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[length] || c > 0x10FFFF || IsSurrogate(c)) return std::nullopt;
    return c;
}

char16_t Utf16Unit(std::string_view bytes, size_t at, bool bigEndian) {
    const auto first = static_cast<unsigned char>(bytes[at]), second = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
}

// An even number of bytes, every surrogate in a pair.
bool WholeUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) return false;
    for (size_t at = 2; at < bytes.size(); at += 2) {
        const char16_t unit = Utf16Unit(bytes, at, bigEndian);
        if (unit >= 0xDC00 && unit <= 0xDFFF) return false;  // a low one not after a high one
        if (unit < 0xD800 || unit > 0xDBFF) continue;
        if (at + 2 >= bytes.size()) return false;
        const char16_t next = Utf16Unit(bytes, at + 2, bigEndian);
        if (next < 0xDC00 || next > 0xDFFF) return false;
        at += 2;
    }
    return true;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring text;
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(Utf16Unit(bytes, i, bigEndian));
    if (i < bytes.size()) text += static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(bytes[i]));  // odd byte
    if constexpr (sizeof(wchar_t) == 4) {  // join the pairs, as a 16-bit wchar_t holds them
        std::wstring joined;
        for (size_t k = 0; k < text.size();) AppendCodePoint(joined, NextCodePoint(text, k));
        return joined;
    }
    return text;
}

EncodedText EncodeUtf16(std::wstring_view text, bool bigEndian) {
    EncodedText out;
    auto unit = [&](char32_t u) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        out.bytes += bigEndian ? high : low;
        out.bytes += bigEndian ? low : high;
    };
    for (size_t i = 0; i < text.size();) {
        const char32_t c = NextCodePoint(text, i);
        if (IsSurrogate(c) || c > 0x10FFFF) return {{}, c};
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (size_t i = 0, length = 0; i < bytes.size(); i += length)
        if (!Utf8At(bytes, i, length)) return false;
    return true;
}

TextEncoding ReadingEncodingOf(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeMark)) return TextEncoding::Utf16Le;
    if (bytes.starts_with(kUtf16BeMark)) return TextEncoding::Utf16Be;
    return EncodingOf(bytes);
}

TextEncoding EncodingOf(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) return TextEncoding::Utf8;
    for (const bool bigEndian : {false, true})
        if (bytes.starts_with(bigEndian ? kUtf16BeMark : kUtf16LeMark))
            return WholeUtf16(bytes, bigEndian) ? (bigEndian ? TextEncoding::Utf16Be : TextEncoding::Utf16Le)
                                                : TextEncoding::Unknown;
    if (bytes.find('\0') != std::string_view::npos) return TextEncoding::Unknown;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    return !ascii && IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Codepage936;
}

size_t MarkLength(TextEncoding encoding, std::string_view bytes) {
    switch (encoding) {
    case TextEncoding::Utf8: return bytes.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
    case TextEncoding::Utf16Le: return bytes.starts_with(kUtf16LeMark) ? kUtf16LeMark.size() : 0;
    case TextEncoding::Utf16Be: return bytes.starts_with(kUtf16BeMark) ? kUtf16BeMark.size() : 0;
    case TextEncoding::Codepage936:
    case TextEncoding::Unknown: break;
    }
    return 0;
}

std::string_view LineEndOf(TextEncoding encoding) {
    using namespace std::string_view_literals;
    switch (encoding) {
    case TextEncoding::Utf16Le: return "\r\0\n\0"sv;
    case TextEncoding::Utf16Be: return "\0\r\0\n"sv;
    default: return "\r\n"sv;
    }
}

std::wstring DecodeUtf8(std::string_view bytes) {
    std::wstring text;
    for (size_t i = 0, length = 0; i < bytes.size(); i += length) {
        if (const std::optional<char32_t> c = Utf8At(bytes, i, length)) {
            AppendCodePoint(text, *c);
        } else {
            text += static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(bytes[i]));
            length = 1;
        }
    }
    return text;
}

EncodedText EncodeUtf8(std::wstring_view text) {
    EncodedText out;
    for (size_t i = 0; i < text.size();) {
        const char32_t c = NextCodePoint(text, i);
        if (IsSurrogate(c) || c > 0x10FFFF) return {{}, c};
        if (c < 0x80) {
            out.bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            out.bytes += static_cast<char>(0xC0 | (c >> 6));
            out.bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out.bytes += static_cast<char>(0xE0 | (c >> 12));
            out.bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out.bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out.bytes += static_cast<char>(0xF0 | (c >> 18));
            out.bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out.bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out.bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring DecodeText(TextEncoding encoding, std::string_view bytes, Codepage936& codepage) {
    switch (encoding) {
    case TextEncoding::Utf8: return DecodeUtf8(bytes);
    case TextEncoding::Utf16Le: return DecodeUtf16(bytes, false);
    case TextEncoding::Utf16Be: return DecodeUtf16(bytes, true);
    case TextEncoding::Codepage936:
    case TextEncoding::Unknown: break;
    }
    return codepage.Decode(bytes);
}

EncodedText EncodeText(TextEncoding encoding, std::wstring_view text, Codepage936& codepage) {
    switch (encoding) {
    case TextEncoding::Utf8: return EncodeUtf8(text);
    case TextEncoding::Utf16Le: return EncodeUtf16(text, false);
    case TextEncoding::Utf16Be: return EncodeUtf16(text, true);
    case TextEncoding::Codepage936: return codepage.Encode(text);
    case TextEncoding::Unknown: break;
    }
    // Never written: what it holds cannot be told, so anything added could corrupt it.
    return {{}, text.empty() ? char32_t{0} : static_cast<char32_t>(text[0])};
}
