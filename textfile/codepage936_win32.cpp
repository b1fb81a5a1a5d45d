#include <windows.h>

#include "codepage936.h"

struct Codepage936::Converter {};

Codepage936::Codepage936() = default;
Codepage936::~Codepage936() = default;

bool Codepage936::PlatformDecode(std::string_view bytes, std::wstring& out) {
    out.clear();
    if (bytes.empty()) return true;
    // MB_ERR_INVALID_CHARS: fail rather than substitute, so the caller marks the bad bytes itself.
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) return false;
    out.resize(static_cast<size_t>(length));
    return ::MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data(), length) == length;
}

bool Codepage936::PlatformEncode(std::wstring_view text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    // Without WC_NO_BEST_FIT_CHARS, characters such as U+00A5 are silently "best-fitted".
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int length =
        ::WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return false;
    out.resize(static_cast<size_t>(length));
    usedDefault = FALSE;
    const int written =
        ::WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), length, nullptr, &usedDefault);
    return written == length && !usedDefault;
}
