// The encodings an editor may save the scheme file in: code page 936 (ANSI), UTF-8 with or without
// its byte order mark, UTF-16 LE and BE behind theirs. Each is read and written in the same
// lossless way, so a file keeps its encoding and its mark. A file that is none of them is read as
// well as it can be and never written.
#pragma once
#include <string>
#include <string_view>

#include "codepage936.h"

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
inline constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

enum class TextEncoding { Codepage936, Utf8, Utf16Le, Utf16Be, Unknown };

// By the byte order mark, where the whole file bears it out: UTF-16 of an odd length or with an
// unpaired surrogate (a copy cut short, a bad save) is Unknown. Else NUL bytes (UTF-16 without a
// mark, or no text at all) are Unknown; else valid UTF-8 with a non-ASCII byte is UTF-8 (Notepad
// saves it so since Windows 10 1903); else code page 936.
[[nodiscard]] TextEncoding EncodingOf(std::string_view bytes);
// How the file is read: as EncodingOf says, but a file with a UTF-16 mark as UTF-16 even where the
// rest does not bear it out, so its names are listed as well as they can be.
[[nodiscard]] TextEncoding ReadingEncodingOf(std::string_view bytes);
// The length of the byte order mark `bytes` start with in `encoding`: 0 when there is none.
[[nodiscard]] size_t MarkLength(TextEncoding encoding, std::string_view bytes);
// CR LF in `encoding`.
[[nodiscard]] std::string_view LineEndOf(TextEncoding encoding);
// Whether the whole of `bytes` is well-formed UTF-8.
[[nodiscard]] bool IsValidUtf8(std::string_view bytes);

// Never fail and lose nothing: each byte that is not part of a valid character becomes
// U+DC80..U+DCFF after its value, as Codepage936::Decode does. Unknown decodes as code page 936.
[[nodiscard]] std::wstring DecodeText(TextEncoding encoding, std::string_view bytes, Codepage936& codepage);
// `text` in `encoding`; fails (unrepresentable set, bytes empty) for a character it cannot hold,
// a lone surrogate (the stand-ins included) in the Unicode encodings, and everything in Unknown.
[[nodiscard]] EncodedText EncodeText(TextEncoding encoding, std::wstring_view text, Codepage936& codepage);

[[nodiscard]] std::wstring DecodeUtf8(std::string_view bytes);
[[nodiscard]] EncodedText EncodeUtf8(std::wstring_view text);
