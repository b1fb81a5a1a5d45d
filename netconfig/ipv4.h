// IPv4 addresses as the read-back compares them: parsed from the fields' texts, written back
// for the user in the same dotted form.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// a.b.c.d as (a << 24) | (b << 16) | (c << 8) | d.
using Ipv4 = std::uint32_t;

// Four decimal parts of 0 to 255 joined by "."; spaces and tabs around the whole are dropped, as
// netsh drops them. A part with a leading zero is refused: some parsers read it as octal, so what
// netsh made of it cannot be known.
[[nodiscard]] std::optional<Ipv4> ParseIpv4(std::wstring_view text);
[[nodiscard]] std::wstring Ipv4Text(Ipv4 address);
// The prefix length of a mask whose ones are contiguous; nothing for any other.
[[nodiscard]] std::optional<unsigned> PrefixLengthOf(Ipv4 mask);
[[nodiscard]] Ipv4 MaskOf(unsigned prefixLength);
// 169.254.0.0/16: what Windows takes when its own address cannot be used.
[[nodiscard]] bool IsLinkLocal(Ipv4 address);
