// Stepping through UTF-16 text by code point, on every platform: wchar_t is 16 bits on Windows and
// 32 bits elsewhere, where text still holds what Windows would.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

[[nodiscard]] constexpr bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
// The code point at text[i], a surrogate pair joined where wchar_t is 16 bits; i moves past it. A
// lone surrogate comes back as itself.
[[nodiscard]] char32_t NextCodePoint(std::wstring_view text, size_t& i);
// `c` appended as one wchar_t, or as a surrogate pair where wchar_t is 16 bits.
void AppendCodePoint(std::wstring& text, char32_t c);
