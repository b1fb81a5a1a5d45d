#include "utf8.h"

namespace {

void AppendCodePoint(std::wstring& text, char32_t c) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            text += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            return;
        }
    }
    text += static_cast<wchar_t>(c);
}

}  // namespace

std::wstring DecodeUtf8(std::string_view bytes) {
    std::wstring text;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const size_t length = lead < 0x80             ? 1
                              : (lead & 0xE0) == 0xC0 ? 2
                              : (lead & 0xF0) == 0xE0 ? 3
                              : (lead & 0xF8) == 0xF0 ? 4
                                                      : 0;
        char32_t c = length == 1 ? lead : length ? lead & (0xFF >> (length + 1)) : 0;
        bool valid = length != 0 && i + length <= bytes.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && c >= kLeast[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        if (!valid) {
            text += static_cast<wchar_t>(0xDC00 + lead);
            ++i;
            continue;
        }
        AppendCodePoint(text, c);
        i += length;
    }
    return text;
}

Encoded936 EncodeUtf8(std::wstring_view text) {
    Encoded936 out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            return {{}, c};
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

Encoded936 EncodeText(TextEncoding encoding, std::wstring_view text, Codepage936& codepage) {
    return encoding == TextEncoding::Utf8 ? EncodeUtf8(text) : codepage.Encode(text);
}
