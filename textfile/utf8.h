// The scheme file as an editor may re-save it: UTF-8 behind its byte order mark. Read and written
// in the same lossless way as code page 936, so such a file keeps its encoding and its mark.
#pragma once
#include <string>
#include <string_view>

#include "codepage936.h"

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

enum class TextEncoding { Codepage936, Utf8 };

// UTF-8 when the bytes start with its byte order mark; code page 936 otherwise.
[[nodiscard]] inline TextEncoding EncodingOf(std::string_view bytes) {
    return bytes.starts_with(kUtf8Mark) ? TextEncoding::Utf8 : TextEncoding::Codepage936;
}

// Never fails and loses nothing: each byte that is not part of valid UTF-8 becomes U+DC80..U+DCFF
// after its value, as Codepage936::Decode does.
[[nodiscard]] std::wstring DecodeUtf8(std::string_view bytes);
// Fails (unrepresentable set, bytes empty) for a lone surrogate, the stand-ins included.
[[nodiscard]] Encoded936 EncodeUtf8(std::wstring_view text);

// `text` in `encoding`.
[[nodiscard]] Encoded936 EncodeText(TextEncoding encoding, std::wstring_view text, Codepage936& codepage);
