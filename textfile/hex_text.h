// Numbers and bytes in upper-case hexadecimal: names made unique (temporary files, the change
// lock, the elevated copy's pipe), characters (U+00A5) and hardware addresses.
#pragma once
#include <string>

// The lowest `digits` hexadecimal digits of `value`, leading zeros kept.
[[nodiscard]] inline std::wstring HexText(unsigned long long value, int digits) {
    std::wstring text;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += L"0123456789ABCDEF"[(value >> shift) & 0xF];
    return text;
}
