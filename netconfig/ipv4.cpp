#include "ipv4.h"

#include <string>

std::optional<Ipv4> ParseIpv4(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(L" \t") - first + 1);
    Ipv4 address = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != L'.') return std::nullopt;
            text.remove_prefix(1);
        }
        size_t digits = 0;
        unsigned value = 0;
        while (digits < text.size() && text[digits] >= L'0' && text[digits] <= L'9' && digits < 4)
            value = value * 10 + static_cast<unsigned>(text[digits++] - L'0');
        if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text.front() == L'0')) return std::nullopt;
        text.remove_prefix(digits);
        address = (address << 8) | value;
    }
    if (!text.empty()) return std::nullopt;
    return address;
}

std::wstring Ipv4Text(Ipv4 address) {
    std::wstring text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text += std::to_wstring((address >> shift) & 0xFF) + (shift ? L"." : L"");
    return text;
}

std::optional<unsigned> PrefixLengthOf(Ipv4 mask) {
    unsigned length = 0;
    while (length < 32 && (mask & (0x80000000u >> length))) ++length;
    if (MaskOf(length) != mask) return std::nullopt;
    return length;
}

Ipv4 MaskOf(unsigned prefixLength) {
    return prefixLength == 0 ? 0 : prefixLength >= 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> prefixLength);
}

bool IsLinkLocal(Ipv4 address) { return (address >> 16) == 0xA9FE; }
