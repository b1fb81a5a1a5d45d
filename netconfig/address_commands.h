// The netsh command lines of the apply and DHCP buttons. Field texts go in unchanged: no
// trimming, quoting or escaping (the runner hands the line to netsh.exe without a shell).
#pragma once
#include <array>
#include <string>
#include <string_view>

[[nodiscard]] std::array<std::wstring, 3> StaticCommandLines(std::wstring_view ip, std::wstring_view mask,
                                                             std::wstring_view gateway, std::wstring_view preferredDns,
                                                             std::wstring_view alternateDns);
[[nodiscard]] std::array<std::wstring, 2> DhcpCommandLines();
